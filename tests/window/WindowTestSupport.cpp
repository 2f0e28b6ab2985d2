#include "WindowTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QThread>
#include <QTimer>

TDialogAnswer::TDialogAnswer(Answer answer) : TDialogAnswer(std::vector<Answer>{std::move(answer)}) {}

TDialogAnswer::TDialogAnswer(std::vector<Answer> answers) : state_(std::make_shared<State>()), timer_(new QTimer)
{
    state_->answers = std::move(answers);
    state_->seen.resize(state_->answers.size());
    auto state = state_;
    QTimer* timer = timer_;
    // Only a dialog whose own event loop runs is answered: one answered while
    // it is still being shown would leave its loop waiting for ever.
    const int baseLevel = QThread::currentThread()->loopLevel();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [state, timer, baseLevel] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible() || state->next >= state->answers.size() ||
            QThread::currentThread()->loopLevel() <= baseLevel)
            return;
        const std::size_t index = state->next++;
        if (state->next == state->answers.size()) timer->stop();
        TSeenDialog& seen = state->seen[index];
        seen.seen = true;
        seen.className = QString::fromLatin1(dialog->metaObject()->className());
        seen.title = dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) seen.text = box->text();
        if (state->answers[index])
            state->answers[index](dialog);
        else if (auto* box = qobject_cast<QMessageBox*>(dialog))
            box->done(QMessageBox::Ok);
        else
            static_cast<QDialog*>(dialog)->reject();
    });
    timer->start();
}

TDialogAnswer::~TDialogAnswer()
{
    delete timer_;
}

std::function<void(QWidget*)> ChooseFile(const QString& path)
{
    return [path](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (dialog == nullptr) {
            static_cast<QDialog*>(widget)->reject();
            return;
        }
        // Typed into the name field: selectFile() leaves a focused field alone.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) qFatal("The file dialog has no name field");
        name->setText(QFileInfo(path).absoluteFilePath());
        static_cast<QDialog*>(dialog)->accept();
    };
}

std::function<void(QWidget*)> CancelDialog()
{
    return [](QWidget* widget) { static_cast<QDialog*>(widget)->reject(); };
}

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("Cannot write %s", qPrintable(path));
    return path;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds)
{
    if (done()) return true;
    const QDeadlineTimer deadline(milliseconds);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) loop.quit();
    });
    poll.start(10);
    loop.exec();
    return done();
}

QPalette DarkDesktopPalette()
{
    QPalette palette(QColor(0x35, 0x35, 0x35), QColor(0x2A, 0x2A, 0x2A));
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::Highlight, QColor(0x3D, 0xAE, 0xE9));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ToolTipText, QColor(0xEE, 0xEE, 0xEE));
    palette.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x77, 0x77, 0x77));
    return palette;
}

std::string BuildBinDir()
{
    return QWO_BIN_DIR "/";
}

bool DropUrls(QWidget& window, const QList<QUrl>& urls)
{
    auto* list = window.findChild<QListWidget*>("ListBox1");
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    return true;
}
