// Showing datasets and worksheets as tables, and saving them as CSV.
#ifndef TAVREL_TABLE_H
#define TAVREL_TABLE_H

#include <cstdint>
#include <string>
#include <string_view>

#include "Dataset.h"
#include "Worksheet.h"

namespace tavrel {

// A readable table of the cells inside the extent: a header line, then one
// line per row with its 1-based row number. Columns are padded to their
// widest cell; empty cells are blank. At most maxRows rows are shown.
std::string Format(const Dataset& dataset, int32_t maxRows = INT32_MAX);
std::string Format(const Worksheet& sheet, int32_t maxRows = INT32_MAX);

// One CSV field: quoted (with doubled quotes) when it holds a comma, a
// quote, a carriage return or a line feed.
std::string CsvField(std::string_view text);

// CSV with a header line (the dataset name, or the column names) and one
// line per row of the extent, lines ended by CR LF. Numbers take their
// shortest round-trip form, empty cells stay empty. The file is written
// beside the target under a temporary name and renamed into place, so a
// failure leaves any earlier file untouched; error then says why, naming
// the target.
bool SaveCsv(const Dataset& dataset, const std::string& path, std::string& error);
bool SaveCsv(const Worksheet& sheet, const std::string& path, std::string& error);

}  // namespace tavrel

#endif  // TAVREL_TABLE_H
