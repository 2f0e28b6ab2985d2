#pragma once
// Helpers for driving the real window in tests: answering modal dialogs,
// temporary folders with real files, reading files back.

#include <QByteArray>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QTimer;

// What a modal dialog showed before it was answered.
struct TSeenDialog {
    bool seen = false;
    QString className;
    QString title;
    QString text;  // a message box's text
};

// Answers the next modal dialogs that open, one answer each, in order:
// records each dialog, then runs its answer on it (an empty answer closes it).
// Create it before the call that opens the dialogs.
class TDialogAnswer {
public:
    using Answer = std::function<void(QWidget*)>;
    explicit TDialogAnswer(Answer answer = {});
    explicit TDialogAnswer(std::vector<Answer> answers);
    ~TDialogAnswer();
    // What the index-th dialog showed; not seen when fewer dialogs opened.
    const TSeenDialog& Seen(std::size_t index = 0) const { return state_->seen.at(index); }

private:
    struct State {
        std::vector<Answer> answers;
        std::vector<TSeenDialog> seen;
        std::size_t next = 0;
    };
    std::shared_ptr<State> state_;
    QTimer* timer_;
};

// Answers for file dialogs.
std::function<void(QWidget*)> ChooseFile(const QString& path);
std::function<void(QWidget*)> CancelDialog();

// Drops the URLs on the window's file list as a file manager would; true when
// the list accepted the drag.
bool DropUrls(QWidget& window, const QList<QUrl>& urls);

// Writes a file (creating folders) and returns its path.
QString WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// Runs an event loop until `done` holds (checked every 10 ms) or the time is
// up; true when it holds.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 120000);

// A dark desktop palette, as dark themes give: light text on dark grounds.
QPalette DarkDesktopPalette();

// The program's folder in the build tree, with a trailing "/".
std::string BuildBinDir();
