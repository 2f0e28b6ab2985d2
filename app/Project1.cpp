// The desktop program: sets the application title, shows the main window and
// runs the event loop until the window is closed. Files and folders named on
// the command line are added to the file list (a folder as a site). --help
// (which also tells where the plug-ins and the help page are read from) and
// --version print and exit.

#include <QApplication>
#include <QCommandLineParser>

#include "app/DesignFonts.h"
#include "app/ProgramIcon.h"
#include "app/Unit1.h"
#include "app/Version.h"
#include "compressors/base/PluginDir.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setApplicationDisplayName(TForm1::ApplicationTitle());
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvan-web-optimizer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Optimizes the files of a web site into an output folder.\n\nPlug-ins: %1\nHelp page: %2")
            .arg(QString::fromStdString(PluginDir()), QString::fromStdString(SupportDir() + "help.html")));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("Files and folders to list; a folder is a site: every file below "
                                                "it is written, its tree kept under the output folder."),
                                 QStringLiteral("[PATH...]"));
    parser.process(application);

    LoadDesignFonts();
    TForm1 form;
    form.show();
    form.AddPathArguments(parser.positionalArguments());
    return application.exec();
}
