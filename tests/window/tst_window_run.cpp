// Runs through the real window over real files: the grid, the progress bar,
// the report, faults, plug-in start failures and what the window allows
// while a run is under way.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

#include <fstream>
#include <iterator>

#include "WindowTestSupport.h"
#include "app/Unit1.h"
#include "app/WindowRunHost.h"
#include "app/core/HumanSize.h"
#include "app/core/ResultGrid.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Processes.h"
#include "tests/support/ReportTexts.h"

namespace {

const QByteArray kHeader = QByteArray::fromStdString(kReportHeader);
const QByteArray kEmptyRow = QByteArray::fromStdString(kReportEmptyRow);
const QByteArray kFooter = QByteArray::fromStdString(kReportFooter);

// Files by their bytes: names that are not UTF-8 do not survive QString.
void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

QString Ratio(qint64 optimized, qint64 original)
{
    return QString::asprintf("%.2f%%", 100.0 * static_cast<double>(optimized) / static_cast<double>(original));
}

}  // namespace

class WindowRunTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString Cell(const TForm1& form, int column, int row) const
    {
        return QString::fromStdString(form.Results().Cell(column, row));
    }

    // Where the ResultGrid table differs from the results it shows; empty when it shows them all.
    static QString TableMismatch(const TForm1& form)
    {
        const auto* table = form.findChild<QTableView*>("ResultGrid");
        const TResultGrid& grid = form.Results();
        if (table->verticalHeader()->count() != grid.RowCount() - 1)
            return QStringLiteral("%1 table rows").arg(table->verticalHeader()->count());
        for (int column = 0; column < grid.ColumnCount(); ++column) {
            if (table->model()->headerData(column, Qt::Horizontal).toString() !=
                QString::fromStdString(grid.Cell(column, 0)))
                return QStringLiteral("header %1").arg(column);
            for (int row = 1; row < grid.RowCount(); ++row)
                if (table->model()->index(row - 1, column).data().toString() !=
                    QString::fromStdString(grid.Cell(column, row)))
                    return QStringLiteral("cell %1,%2").arg(column).arg(row);
        }
        return QString();
    }

    QString OutDir(const char* name) const
    {
        QDir(dir_.path()).mkpath(QString::fromLatin1(name));
        return dir_.filePath(QString::fromLatin1(name)) + "/";
    }

    // Adds the files, sets the output directory and runs the Optimize command.
    static void Run(TForm1& form, const QStringList& files, const QString& outDir)
    {
        form.AddFiles(files);
        form.findChild<QLineEdit*>("OutputDir")->setText(outDir);
        Optimize(form);
    }

    // The Optimize command, until its run has ended.
    static void Optimize(TForm1& form)
    {
        form.findChild<QToolButton*>("OptiButton")->click();
        QVERIFY(WaitUntil([&form] { return !form.Running(); }));
    }

    // The files a run may start at once.
    static int Workers() { return std::max(QThread::idealThreadCount(), 1); }

    QString Save(TForm1& form, const QString& name)
    {
        const QString path = dir_.filePath(name);
        TDialogAnswer answer(ChooseFile(path));
        form.findChild<QPushButton*>("SaveButton")->click();
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void AFullRunFillsTheGridAndTheProgressBar()
    {
        // The sample site, copied so that nothing of the source tree is touched.
        const QString site = QStringLiteral(QWO_SOURCE_DIR "/examples/site/");
        const QStringList names = {"css/style.css",    "index.html",        "js/app.js", "images/logo.png",
                                   "images/photo.jpg", "images/bullet.gif", "robots.txt"};
        QStringList files;
        for (const QString& name : names) files << WriteFile(dir_.filePath("full/" + name), ReadFile(site + name));
        const QString out = OutDir("full-out");
        TForm1 form(BuildBinDir());
        form.show();
        Run(form, files, out);

        QCOMPARE(form.findChild<QStackedWidget*>("Notebook1")->currentIndex(), 2);
        QCOMPARE(form.findChild<QLabel*>("CaptionPanel")->text(), QStringLiteral("Optimize"));
        const int n = static_cast<int>(files.size());
        QCOMPARE(form.Results().RowCount(), n + 2);
        qint64 totalOriginal = 0;
        qint64 totalOptimized = 0;
        for (int i = 0; i < n; ++i) {
            const int row = i + 1;
            const qint64 original = QFileInfo(files[i]).size();
            const QString written = out + QFileInfo(files[i]).fileName();
            QVERIFY2(QFileInfo::exists(written), qPrintable(written));
            const qint64 optimized = QFileInfo(written).size();
            QCOMPARE(Cell(form, 0, row), QString());
            QCOMPARE(Cell(form, 1, row), files[i]);
            QCOMPARE(form.Results().Cell(2, row), HumanSize(static_cast<FileSize>(original)));
            QCOMPARE(form.Results().Cell(3, row), HumanSize(static_cast<FileSize>(optimized)));
            // A GIF whose flattened output does not show the source's picture is kept as it was.
            const bool kept = Cell(form, 4, row).endsWith(QLatin1String("; kept: output did not match"));
            QCOMPARE(Cell(form, 4, row), Ratio(optimized, original) + (kept ? "; kept: output did not match" : ""));
            if (kept) QCOMPARE(ReadFile(written), ReadFile(files[i]));
            totalOriginal += original;
            totalOptimized += optimized;
        }
        // The minifiers and the plug-ins really shrank the text and the PNG; the copy kept robots.txt.
        for (const int row : {1, 2, 3, 4})
            QVERIFY2(Cell(form, 4, row).startsWith(QLatin1String("100.00")) == false, qPrintable(Cell(form, 1, row)));
        QCOMPARE(Cell(form, 4, n), QStringLiteral("100.00%"));
        QCOMPARE(ReadFile(out + "robots.txt"), ReadFile(files.last()));
        QCOMPARE(ReadFile(files[0]), ReadFile(site + names[0]));  // sources untouched

        QCOMPARE(Cell(form, 0, n + 1), QString());
        QCOMPARE(Cell(form, 1, n + 1), QString());
        QCOMPARE(Cell(form, 2, n + 1), QString());
        QCOMPARE(Cell(form, 3, n + 1), QStringLiteral("TOTAL"));
        QCOMPARE(Cell(form, 4, n + 1), Ratio(totalOptimized, totalOriginal));
        QCOMPARE(TableMismatch(form), QString());

        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), n - 1);
        QCOMPARE(bar->value(), n - 1);
        QVERIFY(form.findChild<QToolButton*>("OptiButton")->isEnabled());

        // The grid draws icon and shortened path without touching the texts.
        form.resize(640, 460);
        form.findChild<QWidget*>("ResultGrid")->grab();
        QCOMPARE(Cell(form, 1, 1), files[0]);
    }

    void ARunOverFewerFilesLeavesNoTraceOfTheLongerOne()
    {
        QStringList files;
        for (int i = 0; i < 4; ++i)
            files << WriteFile(dir_.filePath(QStringLiteral("fewer/f%1.txt").arg(i)), QByteArray(100 + i, 'x'));
        TForm1 form(BuildBinDir());
        Run(form, files, OutDir("fewer-out"));
        QCOMPARE(form.Results().RowCount(), 6);

        auto* list = form.findChild<QWidget*>("ListBox1");
        Q_UNUSED(list);
        form.findChild<QListWidget*>("ListBox1")->clear();
        form.AddFiles({files[3]});
        Optimize(form);
        QCOMPARE(form.Results().RowCount(), 3);
        QCOMPARE(Cell(form, 1, 1), files[3]);
        QCOMPARE(Cell(form, 2, 1), QStringLiteral("     103 B"));
        QCOMPARE(Cell(form, 4, 1), QStringLiteral("100.00%"));
        for (int column = 0; column < 3; ++column) QCOMPARE(Cell(form, column, 2), QString());
        QCOMPARE(Cell(form, 3, 2), QStringLiteral("TOTAL"));
        QCOMPARE(TableMismatch(form), QString());
        // One file: the bar's range is empty in the run's terms; it shows done, not busy.
        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        QVERIFY(bar->maximum() > bar->minimum());
        QCOMPARE(bar->value(), bar->maximum());
    }

    void AnEmptyListShowsTheChooseFilesPage()
    {
        TForm1 form(BuildBinDir());
        form.findChild<QToolButton*>("ConfigButton")->click();
        Optimize(form);
        QCOMPARE(form.findChild<QStackedWidget*>("Notebook1")->currentIndex(), 0);
        QCOMPARE(form.findChild<QLabel*>("CaptionPanel")->text(), QStringLiteral("Choose files"));
        QCOMPARE(form.Results().RowCount(), 2);
        for (int column = 0; column < 5; ++column) QCOMPARE(Cell(form, column, 1), QString());
        QCOMPARE(TableMismatch(form), QString());
        const QString report = Save(form, "empty-list.htm");
        QCOMPARE(ReadFile(report), kHeader + kEmptyRow + kFooter);
    }

    void SaveBeforeAnyRunWritesTheFourEmptyRows()
    {
        TForm1 form(BuildBinDir());
        const QString report = Save(form, "before-run.html");
        QCOMPARE(ReadFile(report), kHeader + kEmptyRow + kEmptyRow + kEmptyRow + kEmptyRow + kFooter);
    }

    void SaveAfterARunWritesTheGridByteForByte()
    {
        const QString a = WriteFile(dir_.filePath("save/a&b.txt"), QByteArray(1536, 'a'));
        const QString b = WriteFile(dir_.filePath("save/B.CSS"), QByteArray(2000, ' '));
        TForm1 form(BuildBinDir());
        Run(form, {a, b}, OutDir("save-out"));
        // An existing file is replaced, a name without extension is kept as it is, and
        // cancelling writes nothing.
        const QString target = WriteFile(dir_.filePath("report"), QByteArray(10000, '#'));
        {
            TDialogAnswer answer(CancelDialog());
            form.findChild<QPushButton*>("SaveButton")->click();
            QVERIFY(answer.Seen().seen);
        }
        QCOMPARE(ReadFile(target), QByteArray(10000, '#'));
        QCOMPARE(Save(form, "report"), target);
        const QByteArray expected = kHeader + "<tr>\r\n<td>" + a.toUtf8().replace("&", "&amp;") +
                                    "<td>     1.5 kB<td>     1.5 kB<td>100.00%</tr>\r\n"
                                    "<tr>\r\n<td>" +
                                    b.toUtf8() +
                                    "<td>     2.0 kB<td>     2.0 kB<td>100.00%</tr>\r\n"
                                    "<tr>\r\n<td>&nbsp;<td>&nbsp;<td>TOTAL<td>100.00%</tr>\r\n" +
                                    kFooter;
        QCOMPARE(ReadFile(target), expected);
    }

    void TheReportNeverReplacesAListedFile()
    {
        const QString a = WriteFile(dir_.filePath("listed/a.html"), "<p>a</p>");
        const QString link = dir_.filePath("listed/link.html");
        QFile::link(a, link);
        TForm1 form(BuildBinDir());
        Run(form, {a}, OutDir("listed-out"));
        for (const QString& target : {a, link}) {
            TDialogAnswer answers({ChooseFile(target), {}});
            form.findChild<QPushButton*>("SaveButton")->click();
            QVERIFY(answers.Seen(1).seen);
            QVERIFY2(answers.Seen(1).text.contains(QLatin1String("The report would replace the listed source")),
                     qPrintable(answers.Seen(1).text));
            QCOMPARE(ReadFile(a), QByteArray("<p>a</p>"));
        }
    }

    void SaveReportsAFileThatCannotBeWritten()
    {
        // Every write past 4 bytes fails, as on a full disk; the earlier file stays whole.
        const QString target = WriteFile(dir_.filePath("full/report.html"), "earlier");
        TForm1 form(BuildBinDir());
        TDialogAnswer answers({ChooseFile(target), {}});
        {
            const FileSizeLimit limit(4);
            form.findChild<QPushButton*>("SaveButton")->click();
        }
        QVERIFY(answers.Seen(0).seen);
        QVERIFY(answers.Seen(1).seen);
        QCOMPARE(answers.Seen(1).title, QStringLiteral("Quorvan Web Optimizer"));
        QVERIFY2(answers.Seen(1).text.contains(QLatin1String("File too large")), qPrintable(answers.Seen(1).text));
        QCOMPARE(ReadFile(target), QByteArray("earlier"));
    }

    void TheUsersNumberSeparatorsAreUsed()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString file = WriteFile(dir_.filePath("locale/big.txt"), QByteArray(1536, 'x'));
        TForm1 form(BuildBinDir());
        Run(form, {file}, OutDir("locale-out"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(Cell(form, 2, 1), QStringLiteral("     1,5 kB"));
        QCOMPARE(Cell(form, 4, 1), QStringLiteral("100,00%"));
    }

    void TheOutputFolderIsMadeBeforeTheFirstFile_data()
    {
        QTest::addColumn<QString>("outText");  // below the test's folder
        QTest::addColumn<QString>("written");  // below the test's folder; empty: no run
        QTest::addColumn<QString>("message");  // the one box's text; empty: none
        QTest::newRow("missing with its parents") << "made/a/b/"
                                                  << "made/a/b/x.css" << QString();
        QTest::newRow("a name prefix in a missing folder") << "prefixed/new/pre-"
                                                           << "prefixed/new/pre-x.css" << QString();
        QTest::newRow("a file in its way") << "blocker.txt/out/" << QString()
                                           << "Cannot create the output folder \"%1blocker.txt/out/\". Not a directory";
    }

    void TheOutputFolderIsMadeBeforeTheFirstFile()
    {
        QFETCH(QString, outText);
        QFETCH(QString, written);
        QFETCH(QString, message);
        const QString root = OutDir("made-out");
        WriteFile(root + "blocker.txt", "in the way");
        const QString css = WriteFile(dir_.filePath("made-src/x.css"), "x { color : red ; }");
        TForm1 form(BuildBinDir());
        TDialogAnswer answers({{}, {}});
        Run(form, {css}, root + outText);
        QCOMPARE(answers.Seen(0).text, message.isEmpty() ? QString() : message.arg(root));
        QVERIFY(!answers.Seen(1).seen);
        if (written.isEmpty()) {  // no run: the window is as it was, nothing made
            QCOMPARE(form.findChild<QStackedWidget*>("Notebook1")->currentIndex(), 0);
            QCOMPARE(form.Results().RowCount(), 5);
            QVERIFY(form.findChild<QToolButton*>("OptiButton")->isEnabled());
            QCOMPARE(ReadFile(root + "blocker.txt"), QByteArray("in the way"));
        } else {
            QVERIFY(QFileInfo(root + written).isFile());
            QCOMPARE(Cell(form, 3, 2), QStringLiteral("TOTAL"));
        }
    }

    void AFailingFileShowsItsReasonAndTheRunGoesOn()
    {
        const QString a = WriteFile(dir_.filePath("fault/a.txt"), "aaaa");
        const QString missing = dir_.filePath("fault/missing.txt");
        const QString c = WriteFile(dir_.filePath("fault/c.txt"), "cccc");
        TForm1 form(BuildBinDir());
        const QString out = OutDir("fault-out");
        {
            TDialogAnswer answers({{}, {}});
            Run(form, {a, missing, c}, out);
            // One box at the end lists the failure; the rows stay as the grid has them.
            QVERIFY(answers.Seen(0).seen);
            QVERIFY(!answers.Seen(1).seen);
            QCOMPARE(answers.Seen(0).title, QStringLiteral("Quorvan Web Optimizer"));
            QVERIFY2(answers.Seen(0).text.startsWith(QLatin1String("1 file could not be optimized:")),
                     qPrintable(answers.Seen(0).text));
            QVERIFY2(answers.Seen(0).text.contains(missing), qPrintable(answers.Seen(0).text));
        }
        QCOMPARE(form.Results().RowCount(), 5);
        QCOMPARE(Cell(form, 1, 1), a);
        QCOMPARE(Cell(form, 4, 1), QStringLiteral("100.00%"));
        QCOMPARE(Cell(form, 1, 2), missing);
        QVERIFY2(Cell(form, 3, 2).startsWith(QLatin1String("failed: ")), qPrintable(Cell(form, 3, 2)));
        QVERIFY2(Cell(form, 3, 2).contains(missing), qPrintable(Cell(form, 3, 2)));
        for (int column : {2, 4}) QCOMPARE(Cell(form, column, 2), QString());
        QCOMPARE(Cell(form, 1, 3), c);
        QCOMPARE(Cell(form, 4, 3), QStringLiteral("100.00%"));
        QCOMPARE(Cell(form, 3, 4), QStringLiteral("TOTAL"));
        QCOMPARE(ReadFile(out + "c.txt"), QByteArray("cccc"));
        QCOMPARE(form.findChild<QProgressBar*>("ProgressBar1")->value(), 2);  // every file ended
        QCOMPARE(TableMismatch(form), QString());
        QVERIFY(form.findChild<QToolButton*>("OptiButton")->isEnabled());
        // The report holds the row as the grid shows it.
        const QString report = Save(form, "fault-report.html");
        QVERIFY(ReadFile(report).contains("<td>failed: "));
    }

    void AMissingPluginIsToldOnceAndItsFilesAreCopied()
    {
        QTemporaryDir program;
        QDir(program.path()).mkpath(QStringLiteral("plugins"));
        const QString png = WriteFile(dir_.filePath("noplugin/x.png"), QByteArray(300, 'p'));
        const QString png2 = WriteFile(dir_.filePath("noplugin/z.png"), QByteArray(200, 'q'));
        const QString txt = WriteFile(dir_.filePath("noplugin/y.txt"), "yy");
        TForm1 form(program.path().toStdString());
        TDialogAnswer answers({{}, {}});
        const QString out = OutDir("noplugin-out");
        Run(form, {png, txt, png2}, out);
        QVERIFY(answers.Seen(0).seen);
        QCOMPARE(answers.Seen(0).className, QStringLiteral("QMessageBox"));
        QCOMPARE(answers.Seen(0).title, QStringLiteral("Quorvan Web Optimizer"));
        QCOMPARE(answers.Seen(0).text, QStringLiteral("Plug-in \"pngout.exe\" not found in ") + program.path() +
                                           QStringLiteral("/plugins/: PNG files are copied unchanged."));
        QVERIFY(!answers.Seen(1).seen);  // one notice, not one per file
        QCOMPARE(ReadFile(out + "x.png"), ReadFile(png));
        QCOMPARE(ReadFile(out + "z.png"), ReadFile(png2));
        QCOMPARE(Cell(form, 3, 4), QStringLiteral("TOTAL"));
    }

    // A plug-in whose output shows other pixels: the source's bytes stand and
    // the row says so, also in its tooltip (the Ratio column is narrow).
    void AnImageWhoseOutputDoesNotMatchIsKept()
    {
        QTemporaryDir program;
        const std::string plugins = program.path().toStdString() + "/plugins";
        std::filesystem::copy(BuildBinDir() + "/plugins", plugins);
        WriteFile(QString::fromStdString(plugins + "/pngout.exe"),
                  "#!/bin/sh\nfor a; do src=$dst; dst=$a; done\n"
                  "exec convert \"$src\" -fill '#010203' -draw 'point 0,0' PNG32:\"$dst\"\n");
        std::filesystem::permissions(plugins + "/pngout.exe", std::filesystem::perms::owner_all);
        const QString png = QStringLiteral(QWO_SOURCE_DIR "/examples/site/images/logo.png");
        TForm1 form(program.path().toStdString());
        const QString out = OutDir("kept-out");
        Run(form, {png}, out);
        QCOMPARE(ReadFile(out + "logo.png"), ReadFile(png));
        QCOMPARE(Cell(form, 4, 1), QStringLiteral("100.00%; kept: output did not match"));
        QCOMPARE(Cell(form, 2, 1), Cell(form, 3, 1));
        QCOMPARE(TableMismatch(form), QString());
        const auto* table = form.findChild<QTableView*>("ResultGrid");
        QCOMPARE(table->model()->index(0, 4).data(Qt::ToolTipRole).toString(), Cell(form, 4, 1));
    }

    void APluginThatCannotStartFailsItsFile()
    {
        QTemporaryDir program;
        WriteFile(program.filePath("plugins/pngout.exe"), "not a program");  // there, but cannot be run
        const QString txt = WriteFile(dir_.filePath("nostart/a.txt"), "aa");
        const QByteArray picture = ReadFile(QStringLiteral(QWO_SOURCE_DIR "/examples/site/images/logo.png"));
        const QString png = WriteFile(dir_.filePath("nostart/x.png"), picture);
        TForm1 form(program.path().toStdString());
        TDialogAnswer answers({{}, {}});
        const QString out = OutDir("nostart-out");
        Run(form, {txt, png}, out);
        // The notice, then the list of failures with the same reason.
        QVERIFY(answers.Seen(0).text.startsWith(QLatin1String("Unable to run ")));
        QVERIFY(answers.Seen(0).text.contains(QLatin1String("pngout.exe")));
        QVERIFY2(answers.Seen(1).text.contains(png + ": " + answers.Seen(0).text), qPrintable(answers.Seen(1).text));
        QCOMPARE(Cell(form, 4, 1), QStringLiteral("100.00%"));
        QCOMPARE(Cell(form, 1, 2), png);
        QCOMPARE(Cell(form, 3, 2), "failed: " + answers.Seen(0).text + "; copied unchanged");
        QCOMPARE(Cell(form, 3, 3), QStringLiteral("TOTAL"));
        // The failed file's source stands in for it: the output is a whole site.
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"a.txt", "x.png"}));
        QCOMPARE(ReadFile(out + "x.png"), picture);
    }

    void ClosingTheWindowKillsTheRunningPluginsAndEndsTheRun()
    {
        // One slow plug-in per worker, and two files more that must never start.
        QTemporaryDir program;
        const QString pidFile = dir_.filePath("slow/pids");
        WriteFile(program.filePath("plugins/pngout.exe"),
                  "#!/bin/sh\necho $$ >> '" + pidFile.toUtf8() + "'\nexec sleep 1000\n");
        QFile::setPermissions(program.filePath("plugins/pngout.exe"), QFile::ReadOwner | QFile::ExeOwner);
        QStringList files;
        for (int i = 0; i < Workers() + 2; ++i)
            files << WriteFile(dir_.filePath(QStringLiteral("slow/x%1.png").arg(i)),
                               ReadFile(QStringLiteral(QWO_SOURCE_DIR "/examples/site/images/logo.png")));
        const QString out = OutDir("slow-out");
        WriteFile(out + "x0.png", "earlier");
        TForm1 form(program.path().toStdString());
        form.show();
        auto pids = [&] { return ReadFile(pidFile).trimmed().split('\n'); };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &form, [&] {
            if (QFileInfo(pidFile).size() > 0 && pids().size() == Workers()) form.close();
        });
        poll.start(20);
        TDialogAnswer answer;  // no box may open
        Run(form, files, out);
        poll.stop();
        QVERIFY(!answer.Seen().seen);
        QCOMPARE(pids().size(), Workers());
        for (const QByteArray& pid : pids()) QVERIFY(WaitUntil([&pid] { return ProcessGone(pid.toInt(), 0); }));
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Running());
        QCOMPARE(ReadFile(out + "x0.png"), QByteArray("earlier"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"x0.png"});  // no temporary file
        QCOMPARE(Cell(form, 3, 1), QString());
    }

    void ANameThatIsNotUtf8WorksThroughTheWindow()
    {
        // Folder and file names in Latin-1 bytes, as an old archive may hold them.
        const QByteArray base = QFile::encodeName(dir_.path()) + "/latin/d\xfcr/";
        const QByteArray css = base + "caf\xe9.css", page = base + "p\xe4ge.html", js = base + "s\xfc\xdf.js";
        const QByteArray outFolder = QFile::encodeName(dir_.path()) + "/latin/\xf6ut";
        QDir().mkpath(QFile::decodeName(QFile::encodeName(dir_.path()) + "/latin"));
        QVERIFY(::mkdir(base.constData(), 0755) == 0 && ::mkdir(outFolder.constData(), 0755) == 0);
        const std::string cssText = "body {  color : red ; }\n";
        const std::string pageText = "<p>a   b</p>\n";
        WriteBytes(css.toStdString(), cssText);
        WriteBytes(page.toStdString(), pageText);
        WriteBytes(js.toStdString(), "var   a = 1;\n");

        TForm1 form(BuildBinDir());
        // Dropped as a file URL (its bytes percent-encoded), added through the
        // open dialog by the name Qt shows, and the folder picker.
        QVERIFY(DropUrls(form, {QUrl::fromEncoded("file://" + css.toPercentEncoding("/"))}));
        {
            TDialogAnswer answer(ChooseFile(QFile::decodeName(page)));
            form.findChild<QPushButton*>("BrowseButton")->click();
        }
        form.AddNativeFiles({js.toStdString()});
        {
            TDialogAnswer answer(ChooseFile(QFile::decodeName(outFolder)));
            form.findChild<QPushButton*>("BrowseButton2")->click();
        }
        QCOMPARE(form.RunHost().FileCount(), 3);
        QCOMPARE(form.RunHost().FileAt(0), css.toStdString());
        QCOMPARE(form.RunHost().FileAt(1), page.toStdString());
        QCOMPARE(form.RunHost().OutputDirText(), outFolder.toStdString() + "/");
        QCOMPARE(form.findChild<QListWidget*>("ListBox1")->item(0)->text(), QFile::decodeName(css));  // shown decoded

        form.findChild<QComboBox*>("JSCombo")->setCurrentIndex(0);
        Optimize(form);
        QCOMPARE(form.Results().Cell(1, 1), css.toStdString());
        QCOMPARE(Cell(form, 3, 4), QStringLiteral("TOTAL"));
        const std::string written = outFolder.toStdString() + "/caf\xe9.css";
        QVERIFY(FileExists(written));
        QVERIFY(ReadBytes(written).size() < cssText.size());
        QCOMPARE(ReadBytes(outFolder.toStdString() + "/p\xe4ge.html"), std::string("<p>a b</p>\n"));
        QCOMPARE(ReadBytes(css.toStdString()), cssText);  // the source as it was

        // The report: saved into the Latin-1 folder (a new name is typed in
        // Unicode); it is UTF-8, each byte of a path that is not shows as U+FFFD.
        {
            TDialogAnswer answer(ChooseFile(QFile::decodeName(outFolder + "/report.html")));
            form.findChild<QPushButton*>("SaveButton")->click();
        }
        const std::string report = ReadBytes(outFolder.toStdString() + "/report.html");
        QByteArray shown = css;
        shown.replace("\xfc", "\xEF\xBF\xBD").replace("\xe9", "\xEF\xBF\xBD");
        QVERIFY(report.find("<td>" + shown.toStdString() + "<td>") != std::string::npos);
        std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString() + "/latin");  // Qt cannot
    }

    void WhileARunIsUnderWayInputsAreLockedAndClosingStopsIt()
    {
        // The first files start at once, one per worker; closing starts no other.
        QStringList files;
        for (int i = 0; i < Workers() + 2; ++i)
            files << WriteFile(dir_.filePath(QStringLiteral("busy/b%1.txt").arg(i)), "busy");
        TForm1 form(BuildBinDir());
        form.show();
        struct Seen {
            bool ran = false;
            bool optimize = true, browse = true, browse2 = true, outputDir = true, remove = true, selectors = false;
            int files = 0;
            int rows = 0;
        } seen;
        QTimer::singleShot(0, &form, [&] {
            seen.ran = true;
            seen.optimize = form.findChild<QToolButton*>("OptiButton")->isEnabled();
            seen.browse = form.findChild<QPushButton*>("BrowseButton")->isEnabled();
            seen.browse2 = form.findChild<QPushButton*>("BrowseButton2")->isEnabled();
            seen.outputDir = form.findChild<QLineEdit*>("OutputDir")->isEnabled();
            seen.remove = form.findChild<QAction*>("REmovefromlist1")->isEnabled();
            seen.selectors = form.findChild<QComboBox*>("CSSCombo")->isEnabled() &&
                             form.findChild<QComboBox*>("GIFCombo")->isEnabled();
            // Commands that would change the run's inputs do nothing now.
            form.AddFiles({files[0]});
            auto* list = form.findChild<QListWidget*>("ListBox1");
            list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            form.REmovefromlist1Click();
            form.OptiButtonClick();
            seen.files = form.RunHost().FileCount();
            seen.rows = form.Results().RowCount();
            form.close();
        });
        Run(form, files, OutDir("busy-out"));
        QVERIFY(seen.ran);
        QVERIFY(!seen.optimize);
        QVERIFY(!seen.browse);
        QVERIFY(!seen.browse2);
        QVERIFY(!seen.outputDir);
        QVERIFY(!seen.remove);
        QVERIFY(seen.selectors);
        QCOMPARE(seen.files, static_cast<int>(files.size()));
        QCOMPARE(seen.rows, static_cast<int>(files.size()) + 2);
        // The run ended with the files under way and the window closed.
        for (int i = Workers(); i < files.size(); ++i) {
            QCOMPARE(Cell(form, 1, i + 1), QString());
            QVERIFY(!QFileInfo::exists(dir_.filePath(QStringLiteral("busy-out/b%1.txt").arg(i))));
        }
        QCOMPARE(Cell(form, 3, static_cast<int>(files.size()) + 1), QString());
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Running());
    }

    void ALevelChangedDuringARunAppliesFromTheNextFile()
    {
        // The files that start with the run get the level it began with, the next one the new level.
        const QByteArray css = "/* a comment that the minifier drops */\nbody {\n    color : red ;\n}\n";
        QStringList files;
        for (int i = 0; i <= Workers(); ++i)
            files << WriteFile(dir_.filePath(QStringLiteral("live/one%1.css").arg(i)), css);
        TForm1 form(BuildBinDir());
        QTimer::singleShot(0, &form, [&] { form.findChild<QComboBox*>("CSSCombo")->setCurrentIndex(0); });
        Run(form, files, OutDir("live-out"));
        for (int row = 1; row <= Workers(); ++row) QVERIFY(Cell(form, 4, row) != QStringLiteral("100.00%"));
        QCOMPARE(Cell(form, 4, Workers() + 1), QStringLiteral("100.00%"));
    }
};

QTEST_MAIN(WindowRunTest)
#include "tst_window_run.moc"
