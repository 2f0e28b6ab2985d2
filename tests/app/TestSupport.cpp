#include "TestSupport.h"

void RecordingHost::SetProgressMax(int maximum)
{
    TBatchHost::SetProgressMax(maximum);
    progressMaxima.push_back(maximum);
}

void RecordingHost::SetProgress(int position)
{
    TBatchHost::SetProgress(position);
    progressPositions.push_back(position);
}

void RecordingHost::RepaintAndProcessMessages()
{
    if (afterFile) afterFile(filesDone);
    ++filesDone;
}

std::vector<std::string> RecordingHost::Row(int row) const
{
    std::vector<std::string> cells;
    for (int column = 0; column < grid.ColumnCount(); ++column) cells.push_back(grid.Cell(column, row));
    return cells;
}
