#pragma once
// Read-only view of a results grid, as the report and the text table read it.

#include <string>

class TGridView {
public:
    virtual ~TGridView() = default;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string Cell(int column, int row) const = 0;
};
