#include "app/cli/TextTable.h"

#include <string_view>
#include <vector>

#include "app/core/NumberFormat.h"

namespace {

constexpr const char* kGap = "  ";
constexpr std::size_t kMaxCell = 80;
constexpr std::string_view kCut = "...";
constexpr std::string_view kCopied = "; copied unchanged";

// The first `count` characters of a UTF-8 text.
std::string Characters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) continue;
        if (seen++ == count) break;
    }
    return text.substr(0, end);
}

// A cell on one line of at most kMaxCell characters: its first line, cut with
// "..." when there is more; a failed row's "; copied unchanged" stays at the end.
std::string OneLine(const std::string& text)
{
    std::string_view suffix;
    if (text.size() >= kCopied.size() && text.compare(text.size() - kCopied.size(), kCopied.size(), kCopied) == 0)
        suffix = kCopied;
    const std::string body = text.substr(0, text.size() - suffix.size());
    std::string line = body.substr(0, body.find_first_of("\r\n"));
    const std::size_t room = kMaxCell - suffix.size();
    if (line.size() < body.size() || DisplayLength(line) > room)
        line = Characters(line, std::min(DisplayLength(line), room - kCut.size())) + std::string(kCut);
    return line + std::string(suffix);
}

std::string PadRight(const std::string& text, std::size_t width)
{
    const std::size_t length = DisplayLength(text);
    return length >= width ? text : text + std::string(width - length, ' ');
}

// The one cell after the path that holds text, when only one does (a failed
// row's reason); 0 otherwise.
std::size_t LoneCell(const std::vector<std::string>& cells)
{
    std::size_t lone = 0;
    for (std::size_t c = 1; c < cells.size(); ++c) {
        if (cells[c].empty()) continue;
        if (lone > 0) return 0;
        lone = c;
    }
    return lone;
}

// The part of a ratio cell that aligns in its column: up to the "; " that
// starts a note ("76.26%; partial: ..."); the note follows, widening nothing.
std::size_t AlignedLength(const std::string& cell)
{
    return DisplayLength(cell.substr(0, cell.find("; ")));
}

}  // namespace

std::string FormatTable(const TGridView& grid)
{
    const int columns = grid.ColumnCount();
    std::vector<std::vector<std::string>> lines;
    for (int row = 0; row < grid.RowCount(); ++row) {
        std::vector<std::string> cells;
        bool any = false;
        for (int column = 1; column < columns; ++column) {
            cells.push_back(column == 1 ? grid.Cell(column, row) : OneLine(grid.Cell(column, row)));
            any = any || !cells.back().empty();
        }
        if (any || row == 0) lines.push_back(std::move(cells));
    }

    std::vector<std::size_t> widths(static_cast<std::size_t>(columns > 1 ? columns - 1 : 0), 0);
    for (const auto& cells : lines)
        for (std::size_t c = 0; c < cells.size(); ++c)
            if (c == 0 || c != LoneCell(cells)) widths[c] = std::max(widths[c], AlignedLength(cells[c]));

    auto render = [&](const std::vector<std::string>& cells) {
        if (const std::size_t lone = LoneCell(cells); lone > 0)  // from the first column on, widening none
            return PadRight(cells[0], widths[0]) + kGap + cells[lone] + "\n";
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) line += kGap;
            const bool last = c + 1 == cells.size();
            const std::size_t pad = widths[c] - std::min(widths[c], AlignedLength(cells[c]));
            line += c == 0 ? (last ? cells[c] : PadRight(cells[c], widths[c])) : std::string(pad, ' ') + cells[c];
        }
        line.erase(line.find_last_not_of(' ') + 1);
        return line + "\n";
    };

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += render(lines[i]);
        if (i == 0) {
            std::size_t total = 0;
            for (std::size_t c = 0; c < widths.size(); ++c) total += widths[c] + (c > 0 ? 2 : 0);
            text += std::string(total, '-') + "\n";
        }
    }
    return text;
}
