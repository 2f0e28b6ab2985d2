// The file list and the inputs of a run: plug-in check, adding through the
// dialog and by dropping, removing, the output folder picker, the icons.

#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "WindowTestSupport.h"
#include "app/FileListBox.h"
#include "app/IconCache.h"
#include "app/Unit1.h"
#include "app/WindowRunHost.h"
#include "compressors/base/RunEnvironment.h"
#include "tests/support/ToyKind.h"

class WindowFilesTest : public QObject {
    Q_OBJECT

private:
    static QStringList Entries(const TForm1& form)
    {
        QStringList entries;
        for (int i = 0; i < form.RunHost().FileCount(); ++i)
            entries << QString::fromStdString(form.RunHost().FileAt(i));
        return entries;
    }

    // A program folder whose plugins/ holds the given files and folders.
    static std::string ProgramFolder(const QTemporaryDir& dir, const QStringList& files, const QStringList& folders)
    {
        QDir(dir.path()).mkpath(QStringLiteral("plugins"));
        for (const QString& file : files) WriteFile(dir.filePath(QStringLiteral("plugins/") + file), "#!/bin/sh\n");
        for (const QString& folder : folders) QDir(dir.path()).mkpath(QStringLiteral("plugins/") + folder);
        return dir.path().toStdString() + "/";
    }

    static void CheckSelector(const TForm1& form, const char* combo, const char* notice, bool present)
    {
        auto* selector = form.findChild<QComboBox*>(combo);
        QCOMPARE(selector->isEnabled(), present);
        QCOMPARE(form.findChild<QLabel*>(notice)->isHidden(), present);
    }

private slots:
    void MissingPluginsDisableTheirSelectorsAndShowTheNotice()
    {
        QTemporaryDir dir;
        TForm1 form(ProgramFolder(dir, {}, {}));
        QCOMPARE(form.RunHost().Environment().pluginDir, dir.path().toStdString() + "/plugins/");
        CheckSelector(form, "PNGCombo", "PNGDisabledLabel", false);
        CheckSelector(form, "JSCombo", "JsDisabledLabel", false);
        CheckSelector(form, "JPEgCombo", "JPEGDisabledLabel", false);
        for (const char* name : {"HTMLCombo", "GIFCombo", "CSSCombo"})
            QVERIFY(form.findChild<QComboBox*>(name)->isEnabled());
        // A disabled selector shows level 0: its files are copied.
        QCOMPARE(form.RunHost().Levels().Of("png"), Level(0));
        QCOMPARE(form.RunHost().Levels().Of("jpeg"), Level(0));
        QCOMPARE(form.RunHost().Levels().Of("js"), Level(0));
    }

    void AFolderNamedLikeAPluginCountsAsMissing()
    {
        QTemporaryDir dir;
        TForm1 form(ProgramFolder(dir, {"pngout.exe", "ESC.wsf"}, {"jhead.exe"}));
        CheckSelector(form, "JPEgCombo", "JPEGDisabledLabel", false);
        CheckSelector(form, "PNGCombo", "PNGDisabledLabel", true);
        CheckSelector(form, "JSCombo", "JsDisabledLabel", true);
    }

    void TheBuiltPluginsAreFoundBesideTheProgram()
    {
        // This test program sits beside the window's program, with plugins/ next to it.
        TForm1 form;
        QCOMPARE(form.RunHost().Environment().pluginDir, BuildBinDir() + "plugins/");
        CheckSelector(form, "PNGCombo", "PNGDisabledLabel", true);
        CheckSelector(form, "JSCombo", "JsDisabledLabel", true);
        CheckSelector(form, "JPEgCombo", "JPEGDisabledLabel", true);
    }

    void TheOpenDialogAddsFilesDuplicatesIncluded()
    {
        QTemporaryDir dir;
        const QString css = WriteFile(dir.filePath("site/a.css"), "a{}");
        TForm1 form(BuildBinDir());
        auto* dialog = form.findChild<QFileDialog*>("OpenDialog1");
        QCOMPARE(dialog->nameFilters(),
                 QStringList{"Web files (*.css *.js *.htm *.html *.gif *.jpg *.jpeg *.jpe *.png)"});
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);

        for (int i = 0; i < 2; ++i) {
            TDialogAnswer answer(ChooseFile(css));
            form.findChild<QPushButton*>("BrowseButton")->click();
            QVERIFY(answer.Seen().seen);
        }
        QCOMPARE(Entries(form), (QStringList{css, css}));
        {
            TDialogAnswer answer(CancelDialog());
            form.findChild<QPushButton*>("BrowseButton")->click();
            QVERIFY(answer.Seen().seen);
        }
        QCOMPARE(form.RunHost().FileCount(), 2);
    }

    void RemovingTakesTheSelectedEntriesAndKeepsTheOrder()
    {
        TForm1 form(BuildBinDir());
        form.show();
        const QStringList five = {"/s/0.css", "/s/1.js", "/s/2.png", "/s/3.gif", "/s/4.html"};
        form.AddFiles(five);
        auto* list = form.findChild<TFileListBox*>("ListBox1");
        auto* remove = form.findChild<QAction*>("REmovefromlist1");
        QCOMPARE(remove->text(), QStringLiteral("Remove from list"));

        // Nothing current: nothing happens.
        list->setCurrentRow(-1);
        list->clearSelection();
        remove->trigger();
        QCOMPARE(form.RunHost().FileCount(), 5);

        list->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        list->setCurrentRow(3, QItemSelectionModel::Select);
        list->setCurrentRow(4, QItemSelectionModel::Select);
        remove->trigger();
        QCOMPARE(Entries(form), (QStringList{"/s/0.css", "/s/2.png"}));

        // The Delete key does the same.
        list->setFocus();
        list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(Entries(form), (QStringList{"/s/2.png"}));
    }

    void DroppingFilesAndFoldersAddsThem()
    {
        QTemporaryDir dir;
        const QString single = WriteFile(dir.filePath("notes.txt"), "x");
        const QString b = WriteFile(dir.filePath("site/b.css"), "b{}");
        const QString a = WriteFile(dir.filePath("site/js/a.js"), "var a;");
        const QString readme = WriteFile(dir.filePath("site/readme.txt"), "not a web file");
        TForm1 form(BuildBinDir());
        form.show();
        auto* list = form.findChild<TFileListBox*>("ListBox1");

        QVERIFY(DropUrls(form, {QUrl::fromLocalFile(single), QUrl::fromLocalFile(dir.filePath("site"))}));
        QCOMPARE(Entries(form), (QStringList{single, b, a, readme}));

        // Something that is no local file is refused.
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QDragEnterEvent refused(list->viewport()->rect().center(), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void TheCommandLinesPathsAreListedAndTheMissingOnesNamed()
    {
        QTemporaryDir dir;
        const QString b = WriteFile(dir.filePath("site/b.css"), "b{}");
        const QString robots = WriteFile(dir.filePath("site/robots.txt"), "User-agent: *\n");
        const QString page = WriteFile(dir.filePath("page.html"), "<p>page</p>");
        const QString pipe = dir.filePath("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString current = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TForm1 form(BuildBinDir());
        form.show();
        TDialogAnswer answer;
        form.AddPathArguments({"./site", "missing.css", "page.html", pipe});
        QDir::setCurrent(current);

        // The folder as a site, relative paths made whole; one box for the rest.
        QCOMPARE(Entries(form), (QStringList{b, robots, page}));
        QCOMPARE(form.RunHost().RelativeDestinationAt(1), std::string("robots.txt"));
        QCOMPARE(form.RunHost().RelativeDestinationAt(2), std::string());
        QCOMPARE(answer.Seen().text, QStringLiteral("2 paths were not added:\n\n%1: No such file or directory\n"
                                                    "%2: Neither a file nor a folder.\n")
                                         .arg(dir.filePath("missing.css"), pipe));
    }

    void TheFolderPickerSetsTheOutputDirectoryWithATrailingSlash()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("out"));
        const QString out = dir.filePath(QStringLiteral("out"));
        TForm1 form(BuildBinDir());
        auto* outputDir = form.findChild<QLineEdit*>("OutputDir");
        {
            TDialogAnswer answer(ChooseFile(out));
            form.findChild<QPushButton*>("BrowseButton2")->click();
            QCOMPARE(answer.Seen().title, QStringLiteral("Select a directory"));
        }
        QCOMPARE(outputDir->text(), out + "/");
        QCOMPARE(form.RunHost().OutputDirText(), (out + "/").toStdString());
        {
            TDialogAnswer answer(CancelDialog());
            form.findChild<QPushButton*>("BrowseButton2")->click();
            QVERIFY(answer.Seen().seen);
        }
        QCOMPARE(outputDir->text(), out + "/");
        // Typing is allowed and used as it stands.
        outputDir->setText(QStringLiteral("/typed/out"));
        QCOMPARE(form.RunHost().OutputDirText(), std::string("/typed/out"));
    }

    void EachFileTypeGroupGetsOneCachedIcon()
    {
        QTemporaryDir dir;
        TForm1 form(BuildBinDir());
        auto path = [&](const char* name) { return WriteFile(dir.filePath(name), "x").toStdString(); };
        const int jpeg = form.GetIconIndex(path("a.jpg"));
        const int png = form.GetIconIndex(path("a.png"));
        const int gif = form.GetIconIndex(path("a.gif"));
        const int html = form.GetIconIndex(path("a.htm"));
        const int js = form.GetIconIndex(path("a.js"));
        const int css = form.GetIconIndex(path("a.css"));
        QCOMPARE((QList<int>{jpeg, png, gif, html, js, css}), (QList<int>{0, 1, 2, 3, 4, 5}));
        QCOMPARE(form.GetIconIndex(path("b.jpeg")), jpeg);
        QCOMPARE(form.GetIconIndex(path("b.jpe")), jpeg);
        QCOMPARE(form.GetIconIndex(path("b.html")), html);
        QCOMPARE(form.GetIconIndex("/gone/c.css"), css);
        for (const char* none : {"a.CSS", "a.JPG", "a.txt", "noext", "/my.css/readme"})
            QCOMPARE(form.GetIconIndex(none), -1);
        QCOMPARE(form.IconList().IconList().size(), 6);
        for (int i = 0; i < 6; ++i) QCOMPARE(form.IconList().Icon(i).size(), QSize(16, 16));
        // A direct lookup always appends.
        QCOMPARE(form.GetSystemIcon(path("c.css")), 6);
    }

    void TheListDrawsIconAndShortenedPath()
    {
        TForm1 form(BuildBinDir());
        form.show();
        const QString longPath = QStringLiteral("/") + QString(40, QLatin1Char('d')) + "/" + QString(40, 'e') + "/" +
                                 QString(40, 'f') + "/page.html";
        form.AddFiles({longPath, QStringLiteral("/short/unknown.TXT")});
        auto* list = form.findChild<TFileListBox*>("ListBox1");
        QCOMPARE(list->visualItemRect(list->item(0)).height(), 20);
        const QImage image = list->viewport()->grab().toImage();
        const QColor base = list->palette().color(QPalette::Base);
        auto inked = [&](QRect area) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (image.pixelColor(x, y) != base) return true;
            return false;
        };
        const QRect first = list->visualItemRect(list->item(0));
        const QRect second = list->visualItemRect(list->item(1));
        QVERIFY(inked(QRect(first.left() + 5, first.top(), 16, 16)));     // the HTML icon
        QVERIFY(!inked(QRect(second.left() + 5, second.top(), 16, 16)));  // no icon for .TXT
        // The path is shortened to the list's width less 50: nothing is drawn near the right edge.
        QVERIFY(inked(QRect(first.left() + 30, first.top(), 40, 18)));
        QVERIFY(!inked(QRect(list->width() - 18, first.top(), 8, 18)));
    }

    // A kind added as one row of the optimizer table: its group on the
    // configure page, its icon, and its files optimized at the level its
    // selector shows when each run starts.
    void AToyKindRunsFromItsRowAlone()
    {
        const TOptimizerRegistration toy(ToyKindRow());
        QTemporaryDir dir;
        TForm1 form(BuildBinDir());
        form.show();
        auto* combo = form.findChild<QComboBox*>("TXTCombo");
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->currentText(), QStringLiteral("1- Upper case"));
        QVERIFY(form.findChild<QComboBox*>("CSSCombo")->isEnabled());
        const QString source = WriteFile(dir.filePath("in/a.txt"), "Hello");
        QCOMPARE(form.GetIconIndex(source.toStdString()), 0);
        form.AddFiles({source});
        for (const auto& [entry, expected] : {std::pair{0, QByteArray("Hello")}, {1, QByteArray("HELLO")}}) {
            combo->setCurrentIndex(entry);
            const QString out = dir.filePath(QStringLiteral("out%1/").arg(entry));
            QDir().mkpath(out);
            form.findChild<QLineEdit*>("OutputDir")->setText(out);
            form.findChild<QToolButton*>("OptiButton")->click();
            QVERIFY(WaitUntil([&form] { return !form.Running(); }));
            QCOMPARE(ReadFile(out + "a.txt"), expected);
        }
    }
};

QTEST_MAIN(WindowFilesTest)
#include "tst_window_files.moc"
