#pragma once
// Paths as the system has them (bytes) against paths as the window shows them
// (QString). A file name that is not valid UTF-8 does not survive a round
// trip through QString, so the window keeps the bytes and shows a decoded
// copy; a path that comes back only as text (from a file dialog) is matched
// against the names in its folders.

#include <QByteArray>
#include <QList>
#include <QString>

#include <string>

class QLineEdit;
class QListWidget;
class QMimeData;

// The text shown for a path (QFile::decodeName).
QString ShownPath(const std::string& native);

// The bytes of the file or folder a shown path names: the path's own bytes
// when they name something, else, folder by folder, the entry whose shown
// name is the component; components found nowhere are encoded as they are.
std::string NativePath(const QString& shown);

// The bytes of the local files among the mime data's URLs, in order.
QList<QByteArray> NativeLocalPaths(const QMimeData* data);

// The output folder's field: the text shown, the bytes kept beside it while
// the text is unchanged (a typed text is encoded as it is).
void SetOutputDirPath(QLineEdit& field, const std::string& native);
std::string OutputDirPath(const QLineEdit& field);

// List entries: the text shown, the bytes kept beside it, and the entry's
// destination below the output folder ("css/a.css"; empty: the flat rule).
void AddListPath(QListWidget* list, const std::string& native, const std::string& relative = {});
std::string ListPathAt(const QListWidget* list, int row);
std::string ListRelativeAt(const QListWidget* list, int row);
