// The desktop program: sets the application title, shows the main window and
// runs the event loop until the window is closed. Files and folders named on
// the command line are added to the file list (a folder as a site). --help
// (which also tells where the plug-ins and the help page are read from) and
// --version print and exit. An ending signal cleans up the run under way.

#include <CLI/CLI.hpp>

#include <QApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "app/DesignFonts.h"
#include "app/ProgramIcon.h"
#include "app/Unit1.h"
#include "app/Version.h"
#include "app/WindowRunHost.h"
#include "app/core/SignalCleanup.h"
#include "compressors/base/PluginDir.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setApplicationDisplayName(TForm1::ApplicationTitle());
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvan-web-optimizer"));

    // Qt has taken its own options (-platform ...) out of argv by now.
    CLI::App options("Optimizes the files of a web site into an output folder.\n\nPlug-ins: " + PluginDir() +
                         "\nHelp page: " + SupportDir() + "help.html\n",
                     "quorvan-web-optimizer");
    options.set_version_flag("-v,--version", std::string(kApplicationTitle) + " " + kVersion);
    options.allow_extras();  // the paths: a list option would split "[a,b]"
    options.footer("PATH...  Files and folders to list; a folder is a site: every file below it is written,\n"
                   "         its tree kept under the output folder.");
    try {
        options.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return options.exit(error);
    }
    QStringList paths;
    for (const std::string& path : options.remaining()) {
        if (path.size() > 1 && path[0] == '-' && path != "--") {
            std::fprintf(stderr, "Unknown option '%s'.\n", path.c_str());
            return 1;
        }
        if (path != "--") paths.push_back(QFile::decodeName(QByteArray::fromStdString(path)));
    }

    LoadDesignFonts();
    TForm1 form;
    // SIGTERM, SIGHUP (the session ends) and SIGINT: the run's plug-ins are
    // killed and its temporary files removed before the program ends.
    const TSignalCleanup cleanup(form.RunHost().Environment().control);
    form.show();
    form.AddPathArguments(paths);
    return application.exec();
}
