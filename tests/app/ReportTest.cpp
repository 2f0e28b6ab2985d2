// The HTML report, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/core/Report.h"
#include "app/core/ResultGrid.h"
#include "app/core/Run.h"

namespace {

const std::string kHeader =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r"
    "<html><head>\r"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=cp-1250\">\r"
    "<title>Quorvan Web Optimizer, Results</title>\r"
    "</head><body><table>\r\n"
    "<tr>\r\n"
    "<th>Filename<th>Original size<th>Opimized size<th>Ratio</tr>\r\n";
const std::string kEmptyRow = "<tr>\r\n<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;</tr>\r\n";
const std::string kFooter = "</table></body></html>\r\n";

}  // namespace

TEST(Report, OneFileRun)
{
    TResultGrid grid;
    grid.SetRowCount(3);
    grid.SetCell(1, 1, "/site/a.css");
    grid.SetCell(2, 1, HumanSize(2000));
    grid.SetCell(3, 1, HumanSize(1500));
    grid.SetCell(4, 1, RatioText(1500, 2000));
    grid.SetCell(3, 2, "TOTAL");
    grid.SetCell(4, 2, RatioText(1500, 2000));
    EXPECT_EQ(ReportText(grid), kHeader +
                                    "<tr>\r\n<td>/site/a.css<td>     2.0 kB<td>     1.5 kB<td>75.00%</tr>\r\n"
                                    "<tr>\r\n<td>&nbsp;<td>&nbsp;<td>TOTAL<td>75.00%</tr>\r\n" +
                                    kFooter);
}

TEST(Report, BeforeAnyRunAndAfterAnEmptyRun)
{
    TBatchHost host;
    EXPECT_EQ(ReportText(host.grid), kHeader + kEmptyRow + kEmptyRow + kEmptyRow + kEmptyRow + kFooter);
    ResetResultGrid(host);
    StartCompression(host);
    EXPECT_EQ(ReportText(host.grid), kHeader + kEmptyRow + kFooter);
}

TEST(Report, CellTextsAreWrittenUnescaped)
{
    TResultGrid grid;
    grid.SetRowCount(2);
    grid.SetCell(1, 1, "/a&b/<c>.css");
    EXPECT_THAT(ReportText(grid), ::testing::HasSubstr("<td>/a&b/<c>.css<td>&nbsp;"));
}

TEST(Report, WritesTheFileUnderTheGivenNameReplacingIt)
{
    TempDir dir;
    TResultGrid grid;
    const std::string path = dir / "results";   // no extension is added
    WriteFile(path, std::string(10000, 'x'));
    WriteReport(grid, path);
    EXPECT_EQ(ReadFile(path), ReportText(grid));
}

TEST(Report, FailureCarriesTheSystemsReason)
{
    TempDir dir;
    TResultGrid grid;
    try {
        WriteReport(grid, dir / "no/such/folder/report.html");
        FAIL() << "no error";
    } catch (const ReportError& error) {
        EXPECT_STREQ(error.what(), "No such file or directory");
    }
    EXPECT_THROW(WriteReport(grid, dir.Path()), ReportError);   // a folder
    if (FileExists("/dev/full")) {
        try {
            WriteReport(grid, "/dev/full");
            FAIL() << "a full disk went unnoticed";
        } catch (const ReportError& error) {
            EXPECT_STREQ(error.what(), "No space left on device");
        }
    }
}
