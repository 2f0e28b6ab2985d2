#pragma once
// The file list: a list widget that takes dropped files and folders and
// reports the Delete key.

#include <QByteArray>
#include <QList>
#include <QListWidget>

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

signals:
    // Local paths of the dropped files and folders, as bytes, in the order dropped.
    void PathsDropped(const QList<QByteArray>& paths);
    void DeletePressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
