#include "app/FileListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "app/NativePaths.h"

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void TFileListBox::dragEnterEvent(QDragEnterEvent* event)
{
    if (!NativeLocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFileListBox::dragMoveEvent(QDragMoveEvent* event)
{
    if (!NativeLocalPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFileListBox::dropEvent(QDropEvent* event)
{
    const QList<QByteArray> paths = NativeLocalPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit PathsDropped(paths);
}

void TFileListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        emit DeletePressed();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
