#pragma once
// An in-memory results grid: five columns, row 0 the header.

#include <array>
#include <string>
#include <vector>

#include "app/core/GridView.h"

constexpr int kGridColumns = 5;
constexpr int kGridInitialRows = 5;

// Header texts of columns 0 to 4.
const std::array<std::string, kGridColumns>& GridHeaderTexts();

class TResultGrid : public TGridView {
public:
    // The grid as the window starts: the header and four empty rows.
    TResultGrid();

    int RowCount() const override;
    int ColumnCount() const override;
    std::string Cell(int column, int row) const override;

    // Added rows are empty. Throws std::out_of_range for a cell outside the grid.
    void SetRowCount(int rows);
    void SetCell(int column, int row, const std::string& text);

private:
    std::vector<std::array<std::string, kGridColumns>> rows_;
};
