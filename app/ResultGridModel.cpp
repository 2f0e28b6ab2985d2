#include "app/ResultGridModel.h"

#include <stdexcept>

TResultGridModel::TResultGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TResultGridModel::SetRowCount(int rows)
{
    if (rows < 1) throw std::out_of_range("Grid row count out of range");
    const int before = rowCount();
    const int after = rows - 1;
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        grid_.SetRowCount(rows);
        endInsertRows();
    } else if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        grid_.SetRowCount(rows);
        endRemoveRows();
    }
}

void TResultGridModel::SetCell(int column, int row, const std::string& text)
{
    grid_.SetCell(column, row, text);
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex cell = index(row - 1, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole});
    }
}

int TResultGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.RowCount() - 1;
}

int TResultGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.ColumnCount();
}

QVariant TResultGridModel::data(const QModelIndex& index, int role) const
{
    // The tooltip shows a cell whole where its column is too narrow ("; kept: output did not match").
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() ||
        index.row() + 1 >= grid_.RowCount() || index.column() >= grid_.ColumnCount())
        return QVariant();
    return QString::fromStdString(grid_.Cell(index.column(), index.row() + 1));
}

QVariant TResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= grid_.ColumnCount())
        return QVariant();
    return QString::fromStdString(grid_.Cell(section, 0));
}
