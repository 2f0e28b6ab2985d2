// Whole folders through the real window: a dropped folder keeps its tree in
// the output folder, files that would overwrite each other are asked about
// once, and the window keeps answering while plug-ins run on its workers.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "WindowTestSupport.h"
#include "app/RunMessages.h"
#include "app/Unit1.h"
#include "app/WindowRunHost.h"
#include "app/core/ResultGrid.h"

namespace {

// Drops the paths (files and folders) on the file list as a file manager would.
void Drop(TForm1& form, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    DropUrls(form, urls);
}

// The Optimize command into `out`, until its run has ended.
bool Optimize(TForm1& form, const QString& out)
{
    form.findChild<QLineEdit*>("OutputDir")->setText(out);
    form.findChild<QToolButton*>("OptiButton")->click();
    return WaitUntil([&form] { return !form.Running(); });
}

// Every file below a folder, by its path below it, sorted.
QStringList FilesBelow(const QString& folder)
{
    QStringList files;
    const QDir root(folder);
    for (const QFileInfo& entry : root.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (!entry.isDir()) {
            files << entry.fileName();
            continue;
        }
        for (const QString& below : FilesBelow(entry.filePath())) files << entry.fileName() + "/" + below;
    }
    files.sort();
    return files;
}

std::function<void(QWidget*)> Answer(QMessageBox::StandardButton button)
{
    return [button](QWidget* box) { static_cast<QMessageBox*>(box)->button(button)->click(); };
}

}  // namespace

class WindowSiteTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString Folder(const QString& name)
    {
        QDir(dir_.path()).mkpath(name);
        return dir_.filePath(name) + "/";
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void ADroppedFolderKeepsItsTreeAndADroppedFileGoesFlat()
    {
        const QString site = Folder("site");
        WriteFile(site + "index.html", "<p>top   page</p>\n");
        WriteFile(site + "docs/index.html", "<p>docs   page</p>\n");
        WriteFile(site + "css/deep/style.css", "body {\n    color : red ;\n}\n");
        WriteFile(site + "js/app.js", "var a = 1;\n");
        WriteFile(site + "fonts/body.woff2", QByteArray("wOF2\0\x01\xff  font", 13));
        WriteFile(site + "robots.txt", "User-agent: *\n");
        const QString loose = WriteFile(dir_.filePath("loose/extra.html"), "<p>extra   page</p>\n");
        TForm1 form(BuildBinDir());
        Drop(form, {dir_.filePath("site"), loose});

        // Every file of the site, web file or not.
        const QStringList listed = {"css/deep/style.css", "docs/index.html", "fonts/body.woff2",
                                    "index.html",         "js/app.js",       "robots.txt"};
        QCOMPARE(form.RunHost().FileCount(), static_cast<int>(listed.size()) + 1);
        for (int row = 0; row < listed.size(); ++row) {
            QCOMPARE(QString::fromStdString(form.RunHost().FileAt(row)), site + listed[row]);
            QCOMPARE(QString::fromStdString(form.RunHost().RelativeDestinationAt(row)), listed[row]);
        }
        QCOMPARE(form.RunHost().RelativeDestinationAt(6), std::string());
        // Removing an entry leaves the others' destinations with them.
        auto* list = form.findChild<QListWidget*>("ListBox1");
        list->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        form.REmovefromlist1Click();
        QCOMPARE(QString::fromStdString(form.RunHost().RelativeDestinationAt(1)), QStringLiteral("fonts/body.woff2"));
        QCOMPARE(form.RunHost().RelativeDestinationAt(5), std::string());

        TDialogAnswer answer;  // no box may open
        const QString out = dir_.filePath("site-out") + "/";
        QVERIFY(Optimize(form, out));
        QVERIFY(!answer.Seen().seen);
        QCOMPARE(FilesBelow(out), (QStringList{"css/deep/style.css", "extra.html", "fonts/body.woff2", "index.html",
                                               "js/app.js", "robots.txt"}));
        QCOMPARE(ReadFile(out + "index.html"), QByteArray("<p>top page</p>\n"));
        QCOMPARE(ReadFile(out + "extra.html"), QByteArray("<p>extra page</p>\n"));
        QVERIFY(ReadFile(out + "css/deep/style.css").size() < QFileInfo(site + "css/deep/style.css").size());
        for (const QString& copied : QStringList{"fonts/body.woff2", "robots.txt"})
            QCOMPARE(ReadFile(out + copied), ReadFile(site + copied));
        QCOMPARE(QString::fromStdString(form.Results().Cell(1, 1)), site + "css/deep/style.css");
        QCOMPARE(form.Results().Cell(3, 7), std::string("TOTAL"));
    }

    void FilesThatWouldOverwriteEachOtherAreAskedAboutOnce_data()
    {
        QTest::addColumn<QStringList>("files");  // below the test's folder; a folder is dropped whole
        QTest::addColumn<int>("answer");         // 0: no question expected
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("xCss");  // a word of the x.css written, or empty
        QTest::newRow("no runs nothing") << QStringList{"clash/a/x.css", "clash/b/x.css", "clash/c.txt"}
                                         << int(QMessageBox::No) << QStringList{} << QString();
        QTest::newRow("yes runs, the later file wins")
            << QStringList{"clash/a/x.css", "clash/b/x.css", "clash/c.txt"} << int(QMessageBox::Yes)
            << QStringList{"c.txt", "x.css"} << QStringLiteral("blue");
        QTest::newRow("one file twice is no clash")
            << QStringList{"clash/a/x.css", "clash/a/x.css"} << 0 << QStringList{"x.css"} << QStringLiteral("red");
        QTest::newRow("two folders' trees")
            << QStringList{"clash/a", "clash/b"} << int(QMessageBox::No) << QStringList{} << QString();
    }

    void FilesThatWouldOverwriteEachOtherAreAskedAboutOnce()
    {
        QFETCH(QStringList, files);
        QFETCH(int, answer);
        QFETCH(QStringList, written);
        QFETCH(QString, xCss);
        WriteFile(dir_.filePath("clash/a/x.css"), "a { color: red; }");
        WriteFile(dir_.filePath("clash/b/x.css"), "b { color: blue; }");
        WriteFile(dir_.filePath("clash/c.txt"), "c");
        QStringList paths;
        for (const QString& file : files) paths << dir_.filePath(file);
        TForm1 form(BuildBinDir());
        Drop(form, paths);
        const QString out = Folder(QStringLiteral("clash-out-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        TDialogAnswer answers({Answer(QMessageBox::StandardButton(answer)), {}});
        QVERIFY(Optimize(form, out));
        QCOMPARE(answers.Seen(0).seen, answer != 0);
        QVERIFY(!answers.Seen(1).seen);
        if (answer != 0) {
            QVERIFY(answers.Seen(0).text.contains(dir_.filePath("clash/a/x.css")));
            QVERIFY(answers.Seen(0).text.contains(dir_.filePath("clash/b/x.css")));
        }
        QCOMPARE(FilesBelow(out), written);
        if (!xCss.isEmpty())
            QVERIFY2(ReadFile(out + "x.css").contains(xCss.toUtf8()), ReadFile(out + "x.css").constData());
        if (written.isEmpty()) {  // nothing ran: the window is as it was
            QCOMPARE(form.findChild<QStackedWidget*>("Notebook1")->currentIndex(), 0);
            QCOMPARE(form.Results().RowCount(), 5);
            QVERIFY(form.findChild<QToolButton*>("OptiButton")->isEnabled());
        }
    }

    void TheWindowKeepsAnsweringWhilePluginsRun()
    {
        // Each JPEG's plug-in waits until the test lets it go, which only the
        // window's event loop can do: the run must leave it running.
        QTemporaryDir program;
        const QString started = dir_.filePath("slow/started");
        const QString release = dir_.filePath("slow/release");
        WriteFile(program.filePath("plugins/jhead.exe"),
                  QStringLiteral("#!/bin/sh\necho $$ >> '%1'\n"
                                 "i=0\nwhile [ ! -e '%2' ] && [ $i -lt 1200 ]; do sleep 0.05; i=$((i+1)); done\n"
                                 "[ -e '%2' ]\n")
                      .arg(started, release)
                      .toUtf8());
        QFile::setPermissions(program.filePath("plugins/jhead.exe"), QFile::ReadOwner | QFile::ExeOwner);
        QStringList files;
        for (int i = 0; i < 4; ++i)
            files << WriteFile(dir_.filePath(QStringLiteral("slow/p%1.jpg").arg(i)),
                               ReadFile(QStringLiteral(QWO_SOURCE_DIR "/examples/site/images/photo.jpg")));
        TForm1 form(program.path().toStdString());
        form.show();
        form.findChild<QComboBox*>("JPEgCombo")->setCurrentIndex(1);
        form.AddFiles(files);

        // Ticks of a timer while a plug-in is running; the second one lets them go.
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!form.Running() || !QFileInfo::exists(started) || QFileInfo::exists(release)) return;
            if (++ticks == 2) WriteFile(release, "go");
        });
        timer.start(10);
        TDialogAnswer answer;  // no box may open: a plug-in that gave up fails its file
        QVERIFY(Optimize(form, Folder("slow-out")));
        timer.stop();
        QVERIFY(!answer.Seen().seen);
        QCOMPARE(ticks, 2);
        for (int i = 0; i < files.size(); ++i) {
            QCOMPARE(QString::fromStdString(form.Results().Cell(1, i + 1)), files[i]);
            QCOMPARE(ReadFile(dir_.filePath(QStringLiteral("slow-out/p%1.jpg").arg(i))), ReadFile(files[i]));
        }
        QCOMPARE(form.Results().Cell(3, 5), std::string("TOTAL"));
    }

    void TheListsInMessagesAreShortened_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("named");
        QTest::addColumn<QString>("rest");
        QTest::newRow("one") << 1 << 1 << QString();
        QTest::newRow("as many as named") << int(kListedAtMost) << int(kListedAtMost) << QString();
        QTest::newRow("more") << int(kListedAtMost) + 5 << int(kListedAtMost) << QStringLiteral("... and 5 more\n");
    }

    void TheListsInMessagesAreShortened()
    {
        QFETCH(int, count);
        QFETCH(int, named);
        QFETCH(QString, rest);
        std::vector<TDestinationClash> clashes;
        std::vector<TFileFailure> failures;
        for (int i = 0; i < count; ++i) {
            const std::string name = "f" + std::to_string(i) + ".css";
            clashes.push_back({"out/" + name, {"a/" + name, "b/" + name}});
            failures.emplace_back("a/" + name, "Cannot open file.");
        }
        const QString question = ClashQuestion(clashes);
        const QString list = FailureList(failures);
        QCOMPARE(question.count(QLatin1String(" <- ")), named);
        QVERIFY(question.contains(QLatin1String("out/f0.css <- a/f0.css, b/f0.css\n")));
        QVERIFY(question.endsWith(rest + QStringLiteral("\nOptimize anyway?")));
        QCOMPARE(list.count(QLatin1String(": Cannot open file.")), named);
        QVERIFY(
            list.startsWith(count == 1 ? QStringLiteral("1 file could not") : QStringLiteral("%1 files").arg(count)));
        QVERIFY(list.endsWith(rest.isEmpty() ? QStringLiteral("Cannot open file.\n") : rest));
    }
};

QTEST_MAIN(WindowSiteTest)
#include "tst_window_site.moc"
