#include "app/core/ResultGrid.h"

#include <stdexcept>

const std::array<std::string, kGridColumns>& GridHeaderTexts()
{
    static const std::array<std::string, kGridColumns> header = {"", "Filename", "Original size", "Opimized size",
                                                                 "Ratio"};
    return header;
}

TResultGrid::TResultGrid() : rows_(kGridInitialRows)
{
    rows_[0] = GridHeaderTexts();
}

int TResultGrid::RowCount() const
{
    return static_cast<int>(rows_.size());
}

int TResultGrid::ColumnCount() const
{
    return kGridColumns;
}

std::string TResultGrid::Cell(int column, int row) const
{
    if (column < 0 || column >= kGridColumns || row < 0 || row >= RowCount())
        throw std::out_of_range("Grid cell out of range");
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void TResultGrid::SetRowCount(int rows)
{
    if (rows < 1) throw std::out_of_range("Grid row count out of range");
    rows_.resize(static_cast<std::size_t>(rows));
}

void TResultGrid::SetCell(int column, int row, const std::string& text)
{
    if (column < 0 || column >= kGridColumns || row < 0 || row >= RowCount())
        throw std::out_of_range("Grid cell out of range");
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}
