#pragma once
// The results grid's data for the window's table: a TResultGrid whose row 0 is
// the table's header and whose later rows are the table's rows. Changes go
// through this model so that the table follows them.

#include <QAbstractTableModel>

#include <string>

#include "app/core/ResultGrid.h"

class TResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultGridModel(QObject* parent = nullptr);

    const TResultGrid& Grid() const { return grid_; }

    // As TResultGrid's: rows counts the header; throws std::out_of_range.
    void SetRowCount(int rows);
    void SetCell(int column, int row, const std::string& text);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TResultGrid grid_;
};
