#include "app/OwnerDrawDelegate.h"

#include <QPainter>

TOwnerDrawDelegate::TOwnerDrawDelegate(int rowHeight, PaintFunction paint, QObject* parent)
    : QStyledItemDelegate(parent), rowHeight_(rowHeight), paint_(std::move(paint))
{
}

void TOwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setClipRect(option.rect);
    paint_(painter, option, index);
    painter->restore();
}

QSize TOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), rowHeight_);
}
