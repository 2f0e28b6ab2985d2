#include "app/DesignFonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

void LoadDesignFonts()
{
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) return;
    const QStringList files = {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
                               QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf")};
    for (const QString& file : files)
        if (QFile::exists(file)) QFontDatabase::addApplicationFont(file);
}
