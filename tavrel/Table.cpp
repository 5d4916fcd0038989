#include "Table.h"

#include <algorithm>
#include <vector>

namespace tavrel {

namespace {

using Grid = std::vector<std::vector<std::string>>;

// The cell of a dataset as a table shows it: blank outside the extent, "--"
// for a numeric cell without a number.
std::string CellOf(const Dataset& dataset, int32_t row) {
    if (row < dataset.lower() || row >= dataset.upper()) return {};
    const auto index = static_cast<std::size_t>(row);
    if (!dataset.isText() && dataset.kind(index) == CellKind::Empty) return "--";
    return dataset.display(index);
}

Grid DatasetGrid(const Dataset& dataset, int32_t maxRows) {
    Grid grid{{dataset.name()}};
    const int32_t rows = std::min(dataset.upper(), maxRows);
    for (int32_t row = 0; row < rows; ++row) grid.push_back({CellOf(dataset, row)});
    return grid;
}

Grid SheetGrid(const Worksheet& sheet, int32_t maxRows) {
    Grid grid(1);
    for (int k = 1; k <= sheet.columnCount(); ++k) grid[0].push_back(sheet.column(k)->name());
    const int32_t rows = std::min(sheet.rows(), maxRows);
    for (int32_t row = 0; row < rows; ++row) {
        std::vector<std::string> line;
        for (int k = 1; k <= sheet.columnCount(); ++k) line.push_back(CellOf(sheet.column(k)->dataset(), row));
        grid.push_back(std::move(line));
    }
    return grid;
}

std::string Pad(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::string FormatGrid(const Grid& grid) {
    const std::size_t columns = grid.front().size();
    std::vector<std::size_t> widths(columns, 0);
    for (const auto& line : grid) {
        for (std::size_t c = 0; c < columns; ++c) widths[c] = std::max(widths[c], line[c].size());
    }
    const std::size_t numberWidth = std::to_string(grid.size() - 1).size();
    std::string out;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        std::string line = Pad(r == 0 ? std::string() : std::to_string(r), numberWidth);
        for (std::size_t c = 0; c < columns; ++c) line += "  " + Pad(grid[r][c], widths[c]);
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

}  // namespace

std::string Format(const Dataset& dataset, int32_t maxRows) {
    return FormatGrid(DatasetGrid(dataset, maxRows));
}

std::string Format(const Worksheet& sheet, int32_t maxRows) { return FormatGrid(SheetGrid(sheet, maxRows)); }

}  // namespace tavrel
