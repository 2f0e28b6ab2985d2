#pragma once
// An item delegate that hands the painting of every item to its owner and
// gives every row one fixed height.

#include <QStyledItemDelegate>

#include <functional>

class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    using PaintFunction = std::function<void(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)>;

    TOwnerDrawDelegate(int rowHeight, PaintFunction paint, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int rowHeight_;
    PaintFunction paint_;
};
