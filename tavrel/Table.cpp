#include "Table.h"

#include <algorithm>
#include <vector>

#include "System.h"

namespace tavrel {

namespace {

using Grid = std::vector<std::vector<std::string>>;

// The cell of a dataset as a table shows it: blank outside the extent.
std::string CellOf(const Dataset& dataset, int32_t row) {
    if (row < dataset.lower() || row >= dataset.upper()) return {};
    return dataset.display(static_cast<std::size_t>(row));
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

std::string CsvText(const Grid& grid) {
    std::string out;
    for (const auto& line : grid) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (c > 0) out += ',';
            out += CsvField(line[c]);
        }
        out += "\r\n";
    }
    return out;
}

bool Save(const Grid& grid, const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    return system::ReplaceFileContents(path, CsvText(grid), error);
}

}  // namespace

std::string Format(const Dataset& dataset, int32_t maxRows) {
    return FormatGrid(DatasetGrid(dataset, maxRows));
}

std::string Format(const Worksheet& sheet, int32_t maxRows) { return FormatGrid(SheetGrid(sheet, maxRows)); }

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

bool SaveCsv(const Dataset& dataset, const std::string& path, std::string& error) {
    return Save(DatasetGrid(dataset, INT32_MAX), path, error);
}

bool SaveCsv(const Worksheet& sheet, const std::string& path, std::string& error) {
    return Save(SheetGrid(sheet, INT32_MAX), path, error);
}

}  // namespace tavrel
