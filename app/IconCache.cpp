#include "app/IconCache.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>

namespace {

constexpr int kIconSize = 16;

// The file's kind as the window knows kinds: none for a command-line kind.
FileKind WindowKindOf(const std::string& path)
{
    const FileKind kind = FileKindOf(path, LetterCase::Exact);
    return kind && kind->inWindow ? kind : nullptr;
}

// A plain page with a coloured band, for a desktop without an icon theme.
QPixmap PlainFileIcon(const std::string& path)
{
    const FileKind kind = WindowKindOf(path);
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.setBrush(Qt::white);
    p.drawRect(2, 0, 11, 15);
    p.fillRect(3, 9, 10, 5, kind ? QColor(QRgb(kind->iconColour)) : QColor(Qt::gray));
    return pixmap;
}

}  // namespace

TIconCache::TIconCache()
{
    // Without a desktop session Qt knows no icon theme; the common one will do.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

int TIconCache::GetIconIndex(const std::string& path)
{
    const FileKind kind = WindowKindOf(path);
    if (!kind) return -1;
    const auto known = groupIndex_.find(kind);
    if (known != groupIndex_.end()) return known->second;
    const auto index = static_cast<std::int16_t>(GetSystemIcon(path));
    groupIndex_.emplace(kind, index);
    return index;
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
    groupIndex_.clear();
}
