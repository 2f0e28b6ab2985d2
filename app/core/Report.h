#pragma once
// The HTML report of a results grid.

#include <stdexcept>
#include <string>

#include "app/core/GridView.h"

class TRunControl;

// A report that could not be written; the message is the system's reason.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The report's bytes: the fixed header (it declares UTF-8), the header row and
// every later row (columns 1 to the last), the footer; CR LF line ends. Cell
// texts (file names, failure reasons) are written as HTML text (HtmlText.h):
// a name never becomes markup, and bytes that are not UTF-8 show as U+FFFD.
std::string ReportText(const TGridView& grid);

// Creates or replaces the file under exactly this name with the report, as a
// whole (WriteEntireFile, its temporary file registered with the control when
// there is one): a failed save leaves an earlier file as it was. Throws
// ReportError with the system's reason when the file cannot be created or
// written.
void WriteReport(const TGridView& grid, const std::string& path, TRunControl* control = nullptr);
