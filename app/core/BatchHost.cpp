#include "app/core/BatchHost.h"


int TBatchHost::FileCount() const
{
    return static_cast<int>(files.size());
}

std::string TBatchHost::FileAt(int index) const
{
    return files.at(static_cast<std::size_t>(index));
}

std::string TBatchHost::RelativeDestinationAt(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    return at < relatives.size() ? relatives[at] : std::string();
}

std::string TBatchHost::OutputDirText() const
{
    return outputDir;
}

TLevels TBatchHost::Levels() const
{
    return levels;
}

const TRunEnvironment& TBatchHost::Environment() const
{
    return environment;
}

void TBatchHost::SetRowCount(int rows)
{
    grid.SetRowCount(rows);
}

void TBatchHost::SetCell(int column, int row, const std::string& text)
{
    grid.SetCell(column, row, text);
}

void TBatchHost::SetProgressMax(int maximum)
{
    progressMax = maximum;
}

void TBatchHost::SetProgress(int position)
{
    progress = position;
}

void TBatchHost::RepaintAndProcessMessages() {}

void TBatchHost::ChooseFiles()
{
    choseFiles = true;
}
