#include "app/ProgramIcon.h"

#include <QString>

QIcon ProgramIcon()
{
    // The resources live in a static library: registered on first use.
    Q_INIT_RESOURCE(ProgramIcon);
    QIcon icon;
    for (int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/quorvan-web-optimizer-%1.png").arg(size), QSize(size, size));
    return icon;
}
