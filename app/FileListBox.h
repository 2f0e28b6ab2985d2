#pragma once
// The file list: a list widget that takes dropped files and folders and
// reports the Delete key.

#include <QListWidget>
#include <QStringList>

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

signals:
    // Local paths of the dropped files and folders, in the order dropped.
    void PathsDropped(const QStringList& paths);
    void DeletePressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
