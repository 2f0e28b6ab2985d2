#include "app/cli/TextTable.h"

#include <vector>

#include "app/core/NumberFormat.h"

namespace {

constexpr const char* kGap = "  ";

std::string PadRight(const std::string& text, std::size_t width)
{
    const std::size_t length = DisplayLength(text);
    return length >= width ? text : text + std::string(width - length, ' ');
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
            cells.push_back(grid.Cell(column, row));
            any = any || !cells.back().empty();
        }
        if (any || row == 0) lines.push_back(std::move(cells));
    }

    std::vector<std::size_t> widths(static_cast<std::size_t>(columns > 1 ? columns - 1 : 0), 0);
    for (const auto& cells : lines)
        for (std::size_t c = 0; c < cells.size(); ++c) widths[c] = std::max(widths[c], DisplayLength(cells[c]));

    auto render = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c > 0) line += kGap;
            const bool last = c + 1 == cells.size();
            line += c == 0 ? (last ? cells[c] : PadRight(cells[c], widths[c])) : PadLeft(cells[c], widths[c]);
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
