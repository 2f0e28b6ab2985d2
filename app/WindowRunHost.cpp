#include "app/WindowRunHost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QTableView>

#include <algorithm>
#include <stdexcept>

#include "app/FileListBox.h"
#include "app/NativePaths.h"
#include "app/ResultGridModel.h"
#include "app/WindowControls.h"

TWindowRunHost::TWindowRunHost(const TWindowControls& controls, TResultGridModel& results, TRunEnvironment environment)
    : controls_(controls), results_(results), environment_(std::move(environment))
{
}

TRunRequest TWindowRunHost::Request() const
{
    TRunRequest request;
    for (int index = 0; index < FileCount(); ++index) request.entries.push_back({FileAt(index), RelativeDestinationAt(index)});
    request.outputDirText = OutputDirText();
    request.environment = environment_;
    request.thousandsSeparator = QLocale().groupSeparator().toStdString();
    request.decimalSeparator = QLocale().decimalPoint().toStdString();
    return request;
}

int TWindowRunHost::FileCount() const
{
    return controls_.ListBox1->count();
}

std::string TWindowRunHost::FileAt(int index) const
{
    if (controls_.ListBox1->item(index) == nullptr)
        throw std::out_of_range("No file at index " + std::to_string(index));
    return ListPathAt(controls_.ListBox1, index);
}

std::string TWindowRunHost::RelativeDestinationAt(int index) const
{
    return ListRelativeAt(controls_.ListBox1, index);
}

std::string TWindowRunHost::OutputDirText() const
{
    return OutputDirPath(*controls_.OutputDir);
}

TLevels TWindowRunHost::Levels() const
{
    TLevels levels;
    for (const FileKind kind : Optimizers())
        if (const QComboBox* combo = controls_.Combo(kind))
            levels.Set(kind->name, LevelFromEntry(*kind, combo->currentText().toStdString()));
    return levels;
}

void TWindowRunHost::SetRowCount(int rows)
{
    results_.SetRowCount(rows);
}

void TWindowRunHost::SetCell(int column, int row, const std::string& text)
{
    results_.SetCell(column, row, text);
}

// The bar shows the files done less one, of the files less one (it moves
// once the second file is done). Qt shows an empty range (0 to 0) as a busy
// indicator: a one-file run uses one step instead and shows the bar full once
// its file is done.
void TWindowRunHost::SetProgress(int done, int total)
{
    const int maximum = total - 1;
    controls_.ProgressBar1->setRange(0, std::max(maximum, 1));
    controls_.ProgressBar1->setValue(maximum <= 0 ? std::min(done, 1) : std::max(done - 1, 0));
}
