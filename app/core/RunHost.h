#pragma once
// What the optimization run reads and writes. The window and the command line
// each implement it; the run reads every input at the moment it needs it.

#include <string>

enum class Selector { CSS, GIF, HTML, JS, PNG, JPEG };

class TRunHost {
public:
    virtual ~TRunHost() = default;

    // Inputs.
    virtual int FileCount() const = 0;
    virtual std::string FileAt(int index) const = 0;
    virtual std::string OutputDirText() const = 0;
    virtual std::string SelectorText(Selector selector) const = 0;   // e.g. "2- Maximum compression"

    // The results grid: 5 columns, row 0 is the header.
    virtual void SetRowCount(int rows) = 0;
    virtual void SetCell(int column, int row, const std::string& text) = 0;

    // Progress bar (minimum 0).
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgress(int position) = 0;

    // Repaint the grid and process pending events; the command line does nothing.
    virtual void RepaintAndProcessMessages() = 0;
    // Empty list: show the "Choose files" page.
    virtual void ChooseFiles() = 0;
};
