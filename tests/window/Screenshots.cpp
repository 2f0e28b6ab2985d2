// Takes the README's pictures of the real window: each page, the results page
// after a run over the sample site. Usage: window_screenshots OUTPUT_FOLDER
// [dark] (run it under a display, e.g. xvfb-run -a); "dark" shows the window
// under a dark desktop palette, in files named *-dark.png.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdio>

#include "WindowTestSupport.h"
#include "app/DesignFonts.h"
#include "app/Unit1.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const bool dark = argc == 3 && QByteArray(argv[2]) == "dark";
    if (argc != 2 && !dark) {
        std::fprintf(stderr, "Usage: window_screenshots OUTPUT_FOLDER [dark]\n");
        return 2;
    }
    if (dark) QApplication::setPalette(DarkDesktopPalette());
    const QString target = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(target);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    LoadDesignFonts();

    QTemporaryDir out;
    TForm1 form(BuildBinDir());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    form.AddFiles({QStringLiteral(QWO_SOURCE_DIR "/examples/site")});
    form.findChild<QLineEdit*>("OutputDir")->setText(out.path() + "/optimized/");

    auto shoot = [&](const char* name) {
        QTest::qWait(200);
        const QString file = target + "/" + QString::fromLatin1(name) + (dark ? "-dark.png" : ".png");
        if (!form.grab().save(file)) std::fprintf(stderr, "Cannot write %s\n", qPrintable(file));
    };
    shoot("window-choose-files");
    form.findChild<QToolButton*>("ConfigButton")->click();
    shoot("window-configure");
    form.findChild<QToolButton*>("OptiButton")->click();
    WaitUntil([&form] { return !form.Running(); });
    shoot("window-optimize");
    form.findChild<QToolButton*>("SpeedButton1")->click();
    shoot("window-about");
    return 0;
}
