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

TWindowRunHost::TWindowRunHost(const TWindowControls& controls, TResultGridModel& results, TRunEnvironment environment,
                               std::function<void()> chooseFiles)
    : controls_(controls), results_(results), environment_(std::move(environment)), chooseFiles_(std::move(chooseFiles))
{
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

std::string TWindowRunHost::ThousandsSeparator() const
{
    return QLocale().groupSeparator().toStdString();
}

std::string TWindowRunHost::DecimalSeparator() const
{
    return QLocale().decimalPoint().toStdString();
}

void TWindowRunHost::SetRowCount(int rows)
{
    results_.SetRowCount(rows);
}

void TWindowRunHost::SetCell(int column, int row, const std::string& text)
{
    results_.SetCell(column, row, text);
}

// Qt shows an empty range (0 to 0) as a busy indicator: a one-file run uses
// one step instead and shows the bar full once its file is done.
void TWindowRunHost::SetProgressMax(int maximum)
{
    progressMax_ = maximum;
    controls_.ProgressBar1->setRange(0, std::max(maximum, 1));
    controls_.ProgressBar1->setValue(0);
}

void TWindowRunHost::SetProgress(int position)
{
    controls_.ProgressBar1->setValue(progressMax_ <= 0 ? 1 : position);
}

void TWindowRunHost::RepaintAndProcessMessages()
{
    controls_.ResultGrid->viewport()->update();
}

void TWindowRunHost::ChooseFiles()
{
    chooseFiles_();
}
