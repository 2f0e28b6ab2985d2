// The desktop program: sets the application title, shows the main window and
// runs the event loop until the window is closed.

#include <QApplication>

#include "app/DesignFonts.h"
#include "app/Unit1.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setApplicationDisplayName(TForm1::ApplicationTitle());
    LoadDesignFonts();
    TForm1 form;
    form.show();
    return application.exec();
}
