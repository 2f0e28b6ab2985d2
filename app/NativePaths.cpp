#include "app/NativePaths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

namespace {

constexpr int kNativePathRole = Qt::UserRole + 1;
constexpr int kRelativePathRole = Qt::UserRole + 2;
constexpr const char* kNativePathProperty = "nativePath";

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` (with its trailing "/") whose shown name is `name`; empty when none.
std::string EntryShownAs(const std::string& folder, const QString& name)
{
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(directory)) {
        if (QFile::decodeName(entry->d_name) == name) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

}  // namespace

QString ShownPath(const std::string& native)
{
    return QFile::decodeName(QByteArray::fromStdString(native));
}

std::string NativePath(const QString& shown)
{
    const std::string encoded = QFile::encodeName(shown).toStdString();
    if (Exists(encoded)) return encoded;
    const QStringList parts = shown.split(QLatin1Char('/'));
    std::string path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) path += '/';
        const QString& part = parts[i];
        std::string component = QFile::encodeName(part).toStdString();
        if (!part.isEmpty() && !Exists(path + component)) {
            const std::string match = EntryShownAs(path, part);
            if (!match.empty()) component = match;
        }
        path += component;
    }
    return path;
}

QList<QByteArray> NativeLocalPaths(const QMimeData* data)
{
    QList<QByteArray> paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())  // the percent-encoded path keeps every byte
            paths.append(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    return paths;
}

void SetOutputDirPath(QLineEdit& field, const std::string& native)
{
    field.setText(ShownPath(native));
    field.setProperty(kNativePathProperty, QByteArray::fromStdString(native));
}

std::string OutputDirPath(const QLineEdit& field)
{
    const QByteArray native = field.property(kNativePathProperty).toByteArray();
    if (!native.isEmpty() && QFile::decodeName(native) == field.text()) return native.toStdString();
    return QFile::encodeName(field.text()).toStdString();
}

void AddListPath(QListWidget* list, const std::string& native, const std::string& relative)
{
    auto* item = new QListWidgetItem(ShownPath(native));
    item->setData(kNativePathRole, QByteArray::fromStdString(native));
    if (!relative.empty()) item->setData(kRelativePathRole, QByteArray::fromStdString(relative));
    list->addItem(item);
}

std::string ListPathAt(const QListWidget* list, int row)
{
    const QListWidgetItem* item = list->item(row);
    if (item == nullptr) return {};
    const QVariant native = item->data(kNativePathRole);
    return native.isValid() ? native.toByteArray().toStdString() : QFile::encodeName(item->text()).toStdString();
}

std::string ListRelativeAt(const QListWidget* list, int row)
{
    const QListWidgetItem* item = list->item(row);
    return item == nullptr ? std::string() : item->data(kRelativePathRole).toByteArray().toStdString();
}
