#include "app/core/Report.h"

#include "app/core/HtmlText.h"
#include "compressors/base/FileErrors.h"
#include "compressors/base/Files.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

// Document type, head and body opening, joined by bare CR.
constexpr const char* kHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r"
    "<html><head>\r"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r"
    "<title>Quorvan Web Optimizer, Results</title>\r"
    "</head><body><table>";

}  // namespace

std::string ReportText(const TGridView& grid)
{
    const int columns = grid.ColumnCount();
    std::string text = kHeader;
    text += kLineEnd;
    text += "<tr>";
    text += kLineEnd;
    for (int column = 1; column < columns; ++column) text += "<th>" + HtmlText(grid.Cell(column, 0));
    text += "</tr>";
    text += kLineEnd;
    for (int row = 1; row < grid.RowCount(); ++row) {
        text += "<tr>";
        text += kLineEnd;
        for (int column = 1; column < columns; ++column) {
            const std::string cell = grid.Cell(column, row);
            text += cell.empty() ? "<td>&nbsp;" : "<td>" + HtmlText(cell);
        }
        text += "</tr>";
        text += kLineEnd;
    }
    text += "</table></body></html>";
    text += kLineEnd;
    return text;
}

void WriteReport(const TGridView& grid, const std::string& path, TRunControl* control)
{
    try {
        WriteEntireFile(path, ReportText(grid), control);
    } catch (const FileError& error) {
        throw ReportError(error.Reason());
    }
}
