#pragma once
// A run as a front end asks for it: one request read when the run starts, and
// a host that the run asks for the levels as each file starts and that shows
// the results grid and the progress as they come (the window and the command
// line each implement it).

#include <string>
#include <vector>

#include "app/core/RunPlan.h"
#include "compressors/Optimizers.h"
#include "compressors/base/RunEnvironment.h"

struct TRunRequest {
    // The list, in order: each source with its destination below the output
    // folder ("css/style.css") or none (flat: the output directory text + file name).
    std::vector<TListEntry> entries;
    std::string outputDirText;
    // The entries placed (PlanRequest); the run places them itself when a
    // front end did not.
    std::vector<TJob> jobs;
    // What every optimizer call of the run gets: the plug-in folder, the tool
    // runner's hooks (the window shows a message box) ...
    TRunEnvironment environment;
    // Number separators for the size and ratio texts (the window passes the user's).
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
};

class TRunHost {
public:
    virtual ~TRunHost() = default;

    // The level of every kind for the file about to start, read at that moment.
    virtual TLevels Levels() const = 0;
    // The results grid: 5 columns, row 0 is the header. Rows that SetRowCount
    // adds are empty; rows it removes are gone with their texts.
    virtual void SetRowCount(int rows) = 0;
    virtual void SetCell(int column, int row, const std::string& text) = 0;
    // `done` of `total` files finished (0 of total when the run starts).
    virtual void SetProgress(int done, int total) = 0;
    // True once the user asked to end the run (closing the window): the run
    // stops after the files under way.
    virtual bool StopRequested() const { return false; }
};
