#pragma once
// Small file-type icons for the file list and the results grid: one icon per
// file-type group, taken from the desktop's icon theme for the first file of
// that group that is drawn and kept for the life of the cache.

#include <QList>
#include <QPixmap>

#include <cstdint>
#include <map>
#include <string>

#include "app/core/FileKinds.h"

class TIconCache {
public:
    TIconCache();

    // The IconList index of the icon for the file's type; -1 for a file of no
    // known type (the extension is compared case-sensitively).
    int GetIconIndex(const std::string& path);
    // Fetches the 16 x 16 icon of that very file, appends it to IconList and
    // returns its index.
    int GetSystemIcon(const std::string& path);

    const QList<QPixmap>& IconList() const { return iconList_; }
    QPixmap Icon(int index) const;
    // Drops every icon and forgets the cached indexes.
    void Release();

private:
    QList<QPixmap> iconList_;
    std::map<FileKind, std::int16_t> groupIndex_;  // by kind
};
