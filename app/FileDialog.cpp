#include "app/FileDialog.h"

#include <sys/stat.h>

#include <QFileInfo>

#include "app/NativePaths.h"

namespace {

// True when the shown path is unknown to Qt but names a file or folder by its bytes.
bool OnlyItsBytesExist(const QString& shown, bool folder)
{
    if (QFileInfo::exists(shown)) return false;
    struct stat info {};
    if (::stat(NativePath(shown).c_str(), &info) != 0) return false;
    return folder ? S_ISDIR(info.st_mode) : !S_ISDIR(info.st_mode);
}

}  // namespace

void TFileDialog::accept()
{
    const QStringList files = selectedFiles();
    bool bytesOnly = !files.isEmpty();
    for (const QString& file : files) {
        if (fileMode() == QFileDialog::AnyFile)  // a new file: its folder must be there
            bytesOnly = bytesOnly && OnlyItsBytesExist(QFileInfo(file).path(), true);
        else
            bytesOnly = bytesOnly && OnlyItsBytesExist(file, fileMode() == QFileDialog::Directory);
    }
    if (bytesOnly)
        QDialog::accept();
    else
        QFileDialog::accept();
}
