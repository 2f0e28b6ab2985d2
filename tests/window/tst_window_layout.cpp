// The window as it starts: pages, captions, controls, selectors, colours,
// layout after a resize, the About page's links and the help page.

#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "WindowTestSupport.h"
#include "app/FileListBox.h"
#include "app/Unit1.h"
#include "app/WindowRunHost.h"
#include "app/core/ResultGrid.h"

// Records the URLs the window asks the desktop to open.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class WindowLayoutTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* Find(const TForm1& form, const char* name)
    {
        T* widget = form.findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) qFatal("No control %s", name);
        return widget;
    }

private slots:
    void StartsOnTheChooseFilesPageWithEmptyInputs()
    {
        TForm1 form(BuildBinDir());
        QCOMPARE(form.windowTitle(), QStringLiteral("Quorvan Web Optimizer"));
        QCOMPARE(form.minimumSize(), QSize(640, 460));
        QCOMPARE(form.size(), QSize(640, 460));
        QCOMPARE(form.pos(), QPoint(226, 86));
        // The program's icon, the packaged picture at three sizes.
        QCOMPARE(form.windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {64, 64}, {256, 256}}));
        QCOMPARE(form.windowIcon().pixmap(64).toImage().pixelColor(8, 32), QColor(0x1F, 0x5F, 0xA8));
        QCOMPARE(Find<QStackedWidget>(form, "Notebook1")->currentIndex(), 0);
        QCOMPARE(Find<QLabel>(form, "CaptionPanel")->text(), QStringLiteral("Choose files"));
        QVERIFY(Find<QLineEdit>(form, "OutputDir")->text().isEmpty());
        QCOMPARE(Find<TFileListBox>(form, "ListBox1")->count(), 0);
        QCOMPARE(form.Results().RowCount(), 5);
        QCOMPARE(form.Results().ColumnCount(), 5);
        const char* headers[] = {"", "Filename", "Original size", "Opimized size", "Ratio"};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(QString::fromStdString(form.Results().Cell(column, 0)), QString::fromLatin1(headers[column]));
            for (int row = 1; row < 5; ++row) QVERIFY(form.Results().Cell(column, row).empty());
        }
        auto* table = Find<QTableView>(form, "ResultGrid");
        QCOMPARE(table->model()->rowCount(), 4);
        QCOMPARE(table->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Filename"));
        auto* bar = Find<QProgressBar>(form, "ProgressBar1");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
    }

    void ButtonsShowTheirPagesAndTheCaptionNamesThem()
    {
        TForm1 form(BuildBinDir());
        form.show();
        auto* notebook = Find<QStackedWidget>(form, "Notebook1");
        auto* caption = Find<QLabel>(form, "CaptionPanel");
        const struct {
            const char* button;
            int page;
            const char* name;
        } steps[] = {{"ConfigButton", 1, "Configure"},
                     {"SpeedButton1", 3, "About"},
                     {"ChooseButton", 0, "Choose files"},
                     {"OptiButton", 2, "Optimize"}};
        for (const auto& step : steps) {
            auto* button = Find<QToolButton>(form, step.button);
            QTest::mouseClick(button, Qt::LeftButton);
            if (step.page == 2) {
                // An empty list sends the Optimize command back to the Choose files page.
                QCOMPARE(notebook->currentIndex(), 0);
                QCOMPARE(caption->text(), QStringLiteral("Choose files"));
                continue;
            }
            QCOMPARE(notebook->currentIndex(), step.page);
            QCOMPARE(caption->text(), QString::fromLatin1(step.name));
        }
        for (int page = 0; page < 4; ++page) QVERIFY(!TForm1::PageName(page).isEmpty());
        QCOMPARE(TForm1::PageName(2), QStringLiteral("Optimize"));
    }

    void ControlsHaveTheirNamesTextsAndPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, QRect geometry, const char* text) {
            QTest::newRow(name) << QString::fromLatin1(name) << geometry << QString::fromLatin1(text);
        };
        row("ChooseButton", QRect(0, 0, 105, 97), "Choose files");
        row("ConfigButton", QRect(0, 96, 105, 97), "Configure");
        row("OptiButton", QRect(0, 192, 105, 97), "Optimize");
        row("ExitButton", QRect(0, 288, 105, 97), "Exit");
        row("SpeedButton1", QRect(0, 400, 52, 25), "About");
        row("SpeedButton2", QRect(52, 400, 53, 25), "Help");
        row("BrowseButton", QRect(), "Browse");
        row("BrowseButton2", QRect(), "Browse");
        row("SaveButton", QRect(), "Save");
        row("Label8", QRect(16, 16, 0, 0), "Select output directory");
        row("Label1", QRect(16, 88, 0, 0), "Select files you want to opimize.");
        row("Label9", QRect(16, 16, 0, 0), "Optimization results");
        row("GroupBox1", QRect(8, 16, 253, 113), "PNG Optimization");
        row("GroupBox6", QRect(264, 16, 253, 113), "JS Optimization");
        row("GroupBox3", QRect(10, 144, 253, 113), "JPEG Optimization");
        row("GroupBox4", QRect(264, 144, 253, 113), "HTML Optimization");
        row("GroupBox2", QRect(8, 272, 253, 113), "GIF Optimization");
        row("GroupBox5", QRect(264, 272, 253, 113), "CSS Optimization");
        row("PNGCombo", QRect(48, 32, 201, 24), "");
        row("JPEgCombo", QRect(48, 32, 201, 24), "");
        row("PNGDisabledLabel", QRect(16, 64, 223, 39), "");
        row("JsDisabledLabel", QRect(16, 64, 223, 39), "");
        row("JPEGDisabledLabel", QRect(16, 64, 223, 39), "");
        row("Label10", QRect(136, 24, 0, 0), "Quorvan Web Optimizer v.0.1");
        row("Label12", QRect(136, 200, 0, 0), "Website:\nE-mail:");
        row("Label13", QRect(192, 200, 0, 0), "");
        row("Label14", QRect(232, 216, 0, 0), "");
    }

    void ControlsHaveTheirNamesTextsAndPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        TForm1 form(BuildBinDir());
        QWidget* control = form.findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        if (geometry.isValid())
            QCOMPARE(control->geometry(), geometry);
        else if (!geometry.topLeft().isNull() || name.startsWith(QLatin1String("Label")))
            QCOMPARE(control->pos(), geometry.topLeft());
        if (text.isEmpty()) return;
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control))
            shown = label->text();
        else if (auto* box = qobject_cast<QGroupBox*>(control))
            shown = box->title();
        QCOMPARE(shown, text);
    }

    void TheButtonBarHasPicturesAndTheAboutPageItsNotice()
    {
        TForm1 form(BuildBinDir());
        for (const char* name : {"ChooseButton", "ConfigButton", "OptiButton", "ExitButton"}) {
            auto* button = Find<QToolButton>(form, name);
            QCOMPARE(button->iconSize(), QSize(64, 64));
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
        auto* name = Find<QLabel>(form, "Label10");
        QVERIFY(name->font().bold());
        QCOMPARE(name->font().pixelSize(), 16);
        QVERIFY(!Find<QLabel>(form, "Label11")->text().isEmpty());
        QCOMPARE(Find<QLabel>(form, "Label11")->pos(), QPoint(96, 64));
        QCOMPARE(form.findChild<QLabel*>("PNGDisabledLabel")->text(),
                 QStringLiteral("To enable this optimization you need to install\n"
                                "plugins. You can get plugins for  free from the \n"
                                "program's webpage (see \"About\" for the link)."));
    }

    void SelectorsListTheirEntriesAndStartAtTheDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("start");
        const QStringList text = {"0- No compression", "1- Comment+Space removal", "2- Maximum compression"};
        QTest::newRow("PNG") << "PNGCombo"
                             << QStringList{"0- No recompression", "1- Fast recompression", "2- Normal recompression",
                                            "3- Slow recompression", "4- Extreme recompression"}
                             << "4- Extreme recompression";
        QTest::newRow("JS") << "JSCombo"
                            << QStringList{"0- No compression", "1- Comment removal", "2- Whitespace removal",
                                           "3- Newline removal", "4- Variable substitution"}
                            << "3- Newline removal";
        QTest::newRow("JPEG")
            << "JPEgCombo"
            << QStringList{"0- No removal",           "1- Comment removal",       "2- Exif section removal",
                           "3- IPTC section removal", "12- Comment+Exif removal", "13- Comment+IPCT removal",
                           "23- Exif+IPCT removal",   "4- Leave pure image"}
            << "4- Leave pure image";
        QTest::newRow("HTML") << "HTMLCombo" << text << "2- Maximum compression";
        QTest::newRow("GIF") << "GIFCombo"
                             << QStringList{"0- No compression", "1- Fast compression", "2- Maximum compression"}
                             << "2- Maximum compression";
        QTest::newRow("CSS") << "CSSCombo" << text << "2- Maximum compression";
    }

    void SelectorsListTheirEntriesAndStartAtTheDefaults()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        QFETCH(QString, start);
        TForm1 form(BuildBinDir());
        auto* combo = form.findChild<QComboBox*>(name);
        QVERIFY(combo != nullptr);
        QVERIFY(!combo->isEditable());
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
        QCOMPARE(shown, entries);
        QCOMPARE(combo->currentText(), start);
    }

    void ColoursOfTheBarsThePagesAndTheGridHeader()
    {
        TForm1 form(BuildBinDir());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QImage window = form.grab().toImage();
        QCOMPARE(window.pixelColor(10, 440), QColor(0xFF, 0xF5, 0xC1));  // button bar below Help
        QCOMPARE(window.pixelColor(108, 3), QColor(0x1A, 0x99, 0xCC));   // caption bar
        QCOMPARE(window.pixelColor(108, 30), QColor(0xFF, 0xFC, 0xEA));  // page background
        form.findChild<QToolButton*>("OptiButton")->click();
        form.findChild<QToolButton*>("ConfigButton")->click();
        form.findChild<QStackedWidget*>("Notebook1")->setCurrentIndex(2);
        auto* grid = form.findChild<QTableView*>("ResultGrid");
        const QImage gridImage = grid->grab().toImage();
        const int headerY = grid->horizontalHeader()->geometry().center().y();
        QCOMPARE(gridImage.pixelColor(grid->columnViewportPosition(4) + 40, headerY), QColor(0xFF, 0xF5, 0xC1));
    }

    void ResizingLaysOutTheListAndTheGrid()
    {
        TForm1 form(BuildBinDir());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(900, 700);
        const int w = 900 - 105;
        const int h = 700 - 25;
        auto* notebook = form.findChild<QStackedWidget*>("Notebook1");
        QCOMPARE(notebook->size(), QSize(w, h));
        auto* list = form.findChild<QWidget*>("ListBox1");
        QCOMPARE(list->geometry(), QRect(16, 112, w - 32, h - 112 - 16));
        const int browseLeft = (w - 32) + 16 - 88;
        QCOMPARE(form.findChild<QWidget*>("BrowseButton")->geometry(), QRect(browseLeft, 88, 88, 24));
        QCOMPARE(form.findChild<QWidget*>("BrowseButton2")->geometry(), QRect(browseLeft, 40, 88, 24));
        QCOMPARE(form.findChild<QWidget*>("SaveButton")->geometry(), QRect(browseLeft, 16, 88, 24));
        QCOMPARE(form.findChild<QWidget*>("OutputDir")->geometry(), QRect(16, 40, browseLeft - 16 - 8, 24));
        auto* grid = form.findChild<QTableView*>("ResultGrid");
        QCOMPARE(grid->geometry(), QRect(16, 40, w - 32, h - 32 - 40 - 25));
        QCOMPARE(form.findChild<QWidget*>("ProgressBar1")->geometry(), QRect(16, h - 16 - 25, w - 32, 25));
        QCOMPARE(grid->columnWidth(0), 30);
        QCOMPARE(grid->columnWidth(1), w - 32 - 290);
        QCOMPARE(grid->columnWidth(2), 100);
        QCOMPARE(grid->columnWidth(3), 100);
        QCOMPARE(grid->columnWidth(4), 60);

        // With more rows than fit, the scroll bar's room is left free at the next resize.
        notebook->setCurrentIndex(2);
        form.RunHost().SetRowCount(80);
        QVERIFY(WaitUntil([grid] { return grid->verticalScrollBar()->isVisible(); }));
        form.resize(901, 700);
        QCOMPARE(grid->columnWidth(1), w + 1 - 32 - 310);

        // Never smaller than the minimum.
        form.resize(300, 200);
        QCOMPARE(form.size(), QSize(640, 460));
    }

    void LinkLabelsOpenTheSiteAndTheMailAddressAndTurnBlueUnderTheMouse()
    {
        TUrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "Open");
        TForm1 form(BuildBinDir());
        form.show();
        form.findChild<QToolButton*>("SpeedButton1")->click();
        auto* site = form.findChild<QLabel*>("Label13");
        auto* mail = form.findChild<QLabel*>("Label14");
        QCOMPARE(site->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(site, Qt::LeftButton);
        QTest::mouseClick(mail, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(recorder.urls.size(), 2);
        QCOMPARE(recorder.urls[0], QUrl(site->text()));
        QVERIFY(!mail->text().startsWith(QLatin1String("mailto:")));
        QCOMPARE(recorder.urls[1], QUrl(QStringLiteral("mailto:") + mail->text()));

        QCOMPARE(site->palette().color(QPalette::WindowText), QColor(Qt::black));
        QTest::mouseMove(site, QPoint(3, 3));
        QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), site->mapToGlobal(QPointF(4, 4)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(site, &move);
        QCOMPARE(site->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(site, &leave);
        QCOMPARE(site->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void HelpOpensTheHelpPageOrWarnsThatItIsMissing()
    {
        TUrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
        {
            TForm1 form(BuildBinDir());
            TDialogAnswer noDialog;
            form.findChild<QToolButton*>("SpeedButton2")->click();
            QVERIFY(!noDialog.Seen().seen);
            QCOMPARE(recorder.urls.size(), 1);
            QCOMPARE(recorder.urls[0], QUrl::fromLocalFile(QString::fromStdString(BuildBinDir()) + "help.html"));
            QVERIFY(ReadFile(recorder.urls[0].toLocalFile()).contains("Optimization levels"));
        }
        {
            QTemporaryDir empty;
            TForm1 form(empty.path().toStdString());
            TDialogAnswer answer;
            form.findChild<QToolButton*>("SpeedButton2")->click();
            QVERIFY(answer.Seen().seen);
            QCOMPARE(answer.Seen().title, QStringLiteral("Warning"));
            QCOMPARE(answer.Seen().text, QStringLiteral("File \"help.html\" was not found."));
        }
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.urls.size(), 1);
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "tst_window_layout.moc"
