#include "app/IconCache.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>

namespace {

constexpr int kIconSize = 16;

// The icon group of a path: its kind by the exact extension, or -1.
int GroupOf(const std::string& path)
{
    const FileKind kind = FileKindOf(path, LetterCase::Exact);
    return kind == FileKind::Other ? -1 : static_cast<int>(kind);
}

// A plain page with a coloured band, for a desktop without an icon theme.
QPixmap PlainFileIcon(const std::string& path)
{
    // In FileKind order: CSS, GIF, HTML, JS, PNG, JPEG.
    static const QColor bands[] = {QColor(0x26, 0x4D, 0xE4), QColor(0x8A, 0x2B, 0xE2), QColor(0xE3, 0x4C, 0x26),
                                   QColor(0xE0, 0xB0, 0x00), QColor(0x1E, 0x90, 0xFF), QColor(0x2E, 0x8B, 0x57)};
    const int group = GroupOf(path);
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setBrush(Qt::white);
    p.drawRect(2, 0, 11, 15);
    p.fillRect(3, 9, 10, 5, group < 0 ? QColor(Qt::gray) : bands[group]);
    return pixmap;
}

}  // namespace

TIconCache::TIconCache()
{
    groupIndex_.fill(-1);
    // Without a desktop session Qt knows no icon theme; the common one will do.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

int TIconCache::GetIconIndex(const std::string& path)
{
    const int group = GroupOf(path);
    if (group < 0) return -1;
    if (groupIndex_[group] == -1) groupIndex_[group] = static_cast<std::int16_t>(GetSystemIcon(path));
    return groupIndex_[group];
}

int TIconCache::GetSystemIcon(const std::string& path)
{
    // The icon theme's icon for the file's type, else the platform's file icon.
    const QFileInfo info(QString::fromStdString(path));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull()) icon = QFileIconProvider().icon(info);
    QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(kIconSize, kIconSize);
    if (pixmap.isNull())
        pixmap = PlainFileIcon(path);
    else if (pixmap.deviceIndependentSize() != QSizeF(kIconSize, kIconSize))
        pixmap = pixmap.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int index = static_cast<int>(iconList_.size());
    iconList_.append(pixmap);
    return index;
}

QPixmap TIconCache::Icon(int index) const
{
    return index >= 0 && index < iconList_.size() ? iconList_.at(index) : QPixmap();
}

void TIconCache::Release()
{
    iconList_.clear();
    groupIndex_.fill(-1);
}
