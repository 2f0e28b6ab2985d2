#include "app/core/BatchHost.h"

TLevels TBatchHost::Levels() const
{
    return levels;
}

void TBatchHost::SetRowCount(int rows)
{
    grid.SetRowCount(rows);
}

void TBatchHost::SetCell(int column, int row, const std::string& text)
{
    grid.SetCell(column, row, text);
}

void TBatchHost::SetProgress(int done, int files)
{
    progress = done;
    total = files;
}
