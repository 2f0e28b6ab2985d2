// The HTML report, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "app/core/HumanSize.h"
#include "app/core/Report.h"
#include "app/core/ResultGrid.h"
#include "app/core/Run.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ReportTexts.h"

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
    EXPECT_EQ(ReportText(grid), kReportHeader +
                                    "<tr>\r\n<td>/site/a.css<td>     2.0 kB<td>     1.5 kB<td>75.00%</tr>\r\n"
                                    "<tr>\r\n<td>&nbsp;<td>&nbsp;<td>TOTAL<td>75.00%</tr>\r\n" +
                                    kReportFooter);
}

TEST(Report, BeforeAnyRunAndAfterAnEmptyRun)
{
    TBatchHost host;
    EXPECT_EQ(ReportText(host.grid),
              kReportHeader + kReportEmptyRow + kReportEmptyRow + kReportEmptyRow + kReportEmptyRow + kReportFooter);
    ResetResultGrid(host);
    StartCompression(TRunRequest{}, host);
    EXPECT_EQ(ReportText(host.grid), kReportHeader + kReportEmptyRow + kReportFooter);
}

TEST(Report, CellTextsAreHtmlTextInUtf8)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/a&b/<c>.css", "/a&amp;b/&lt;c&gt;.css"},
        {"<img src=x onerror=alert(1)>.css", "&lt;img src=x onerror=alert(1)&gt;.css"},
        {"failed: Cannot open file \"/s/it's\".", "failed: Cannot open file &quot;/s/it&#39;s&quot;."},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E",
         "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E"},  // valid UTF-8 stays
        // Each byte outside a valid sequence: U+FFFD (Latin-1, a lone continuation,
        // an overlong form, a surrogate, beyond U+10FFFF, a sequence cut short).
        {"caf\xE9.css", "caf\uFFFD.css"},
        {"\x80x\xC0\xAF", "\uFFFDx\uFFFD\uFFFD"},
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"x\xE2\x82", "x\uFFFD\uFFFD"},
    };
    for (const auto& [cell, html] : cases) {
        TResultGrid grid;
        grid.SetRowCount(2);
        grid.SetCell(1, 1, cell);
        grid.SetCell(3, 1, "failed: <b>");
        EXPECT_EQ(ReportText(grid), kReportHeader + "<tr>\r\n<td>" + html +
                                        "<td>&nbsp;<td>failed: &lt;b&gt;<td>&nbsp;</tr>\r\n" + kReportFooter)
            << cell;
    }
}

TEST(Report, WritesTheFileUnderTheGivenNameReplacingIt)
{
    TempDir dir;
    TResultGrid grid;
    const std::string path = dir / "results";  // no extension is added
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
    EXPECT_THROW(WriteReport(grid, dir.Path()), ReportError);  // a folder

    // A write that fails (as on a full disk) leaves the earlier file whole.
    const std::string earlier = dir / "report.html";
    WriteFile(earlier, "earlier");
    try {
        const FileSizeLimit limit(4);
        WriteReport(grid, earlier);
        FAIL() << "a failed write went unnoticed";
    } catch (const ReportError& error) {
        EXPECT_STREQ(error.what(), "File too large");
    }
    EXPECT_EQ(ReadFile(earlier), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}
