#pragma once
// What the optimization run reads and writes. The window and the command line
// each implement it; the run reads every input at the moment it needs it.

#include <string>

#include "compressors/Optimizers.h"
#include "compressors/RunEnvironment.h"

class TRunHost {
public:
    virtual ~TRunHost() = default;

    // Inputs. The file list must not shrink while a run is under way.
    virtual int FileCount() const = 0;
    virtual std::string FileAt(int index) const = 0;
    // The entry's destination below the output folder ("css/style.css"), or
    // empty for the flat placement (the output directory text + file name).
    virtual std::string RelativeDestinationAt(int /*index*/) const { return {}; }
    virtual std::string OutputDirText() const = 0;
    // The level of every kind for the file about to start, read at that moment.
    virtual TLevels Levels() const = 0;

    // What every optimizer call of the run gets: the plug-in folder, the tool
    // runner's hooks (the window pumps its events and shows a message box).
    virtual const TRunEnvironment& Environment() const = 0;

    // Number separators for the size and ratio texts (the window passes the user's).
    virtual std::string ThousandsSeparator() const { return ","; }
    virtual std::string DecimalSeparator() const { return "."; }

    // The results grid: 5 columns, row 0 is the header. Rows that SetRowCount
    // adds are empty; rows it removes are gone with their texts.
    virtual void SetRowCount(int rows) = 0;
    virtual void SetCell(int column, int row, const std::string& text) = 0;

    // Progress bar (minimum 0).
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgress(int position) = 0;

    // Repaint the grid and process pending events; the command line does nothing.
    virtual void RepaintAndProcessMessages() = 0;
    // Empty list: show the "Choose files" page.
    virtual void ChooseFiles() = 0;
    // True once the user asked to end the run (closing the window): the run
    // stops after the current file.
    virtual bool StopRequested() const { return false; }
};
