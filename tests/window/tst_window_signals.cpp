// The window ended by SIGTERM, SIGHUP or SIGINT in the middle of a run over a
// site: no temporary file and no plug-in is left behind, and the program ends
// by the signal.
//
// The signalled window is this program started again as "--window-run": the
// real window with the real plug-ins, set up as the program's main() does.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "app/Unit1.h"
#include "app/WindowRunHost.h"
#include "app/core/SignalCleanup.h"
#include "tests/support/Processes.h"

extern char** environ;

namespace {

constexpr int kUntilEnded = 60000;  // a hang guard, no bound on how fast

// The temporary files below a folder, by path.
QStringList Temporaries(const QString& folder)
{
    QStringList found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString name = QFileInfo(path).fileName();
        if (name.startsWith(".qwo-") || name.startsWith("_temporary.")) found << path;
    }
    return found;
}

// The window with a run under way over SITE into OUT: what the program does
// with its command line "SITE", and then the Optimize button.
int WindowRun(int argc, char** argv, const QString& site, const QString& out)
{
    QApplication application(argc, argv);
    TForm1 form(BuildBinDir());
    const TSignalCleanup cleanup(form.RunHost().Environment().control);
    form.show();
    form.AddPathArguments({site});
    form.findChild<QLineEdit*>("OutputDir")->setText(out);
    form.findChild<QToolButton*>("OptiButton")->click();
    return application.exec();
}

}  // namespace

class WindowSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void ASignalMidRunLeavesNoTemporaryFileAndNoPlugin_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void ASignalMidRunLeavesNoTemporaryFileAndNoPlugin()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        // Pages whose scripts go through the script plug-in, each its own, and images for the others.
        for (int i = 0; i < 200; ++i)
            WriteFile(dir.filePath(QStringLiteral("site/pages/page%1.html").arg(i)),
                      QStringLiteral("<p>%1</p><script>\n  function add%1(first, second) {\n    return first + "
                                     "second + %1;\n  }\n  add%1(1, 2);\n</script>\n")
                          .arg(i)
                          .toUtf8());
        const QByteArray logo = ReadFile(QStringLiteral(QWO_SOURCE_DIR "/examples/site/images/logo.png"));
        for (int i = 0; i < 4; ++i) WriteFile(dir.filePath(QStringLiteral("site/images/logo%1.png").arg(i)), logo);
        const QString out = dir.filePath("out") + "/";

        // Every process the window starts carries this mark in its environment.
        const std::string mark = "QWO_SIGNAL_TEST=" + std::to_string(::getpid()) + "-" + std::to_string(signal);
        std::vector<std::string> environment{mark};
        for (char** entry = environ; *entry; ++entry) environment.emplace_back(*entry);
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        const std::string self = QCoreApplication::applicationFilePath().toStdString();
        const std::string site = dir.filePath("site").toStdString();
        const std::string outText = out.toStdString();
        std::vector<char*> argv{const_cast<char*>(self.c_str()), const_cast<char*>("--window-run"),
                                const_cast<char*>(site.c_str()), const_cast<char*>(outText.c_str()), nullptr};
        // The three signals as a program normally gets them: default, not blocked.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigset_t ending;
        sigemptyset(&none);
        sigemptyset(&ending);
        for (const int each : {SIGTERM, SIGHUP, SIGINT}) sigaddset(&ending, each);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &ending);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        pid_t window = -1;
        const int started = posix_spawn(&window, self.c_str(), nullptr, &attributes, argv.data(), envp.data());
        posix_spawnattr_destroy(&attributes);
        QCOMPARE(started, 0);

        // Signalled while a script block is out at the script plug-in.
        const bool working =
            WaitUntil([&] { return !Temporaries(out).filter(QStringLiteral("/_temporary.")).isEmpty(); });
        ::kill(window, signal);
        int status = 0;
        QCOMPARE(::waitpid(window, &status, 0), window);
        QVERIFY(working);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal, std::to_string(status).c_str());
        QCOMPARE(Temporaries(out), QStringList());
        const std::vector<pid_t> left = ProcessesMarked(mark, kUntilEnded);
        for (const pid_t pid : left) ::kill(pid, SIGKILL);
        QCOMPARE(left.size(), std::size_t{0});
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--window-run") == 0)
        return WindowRun(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QApplication application(argc, argv);
    WindowSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_signals.moc"
