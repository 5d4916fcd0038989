// Showing datasets and worksheets as tables. Saving them as CSV is Csv.h's,
// included here for the callers that find SaveCsv through this header.
#ifndef TAVREL_TABLE_H
#define TAVREL_TABLE_H

#include <cstdint>
#include <string>

#include "Csv.h"
#include "Dataset.h"
#include "Worksheet.h"

namespace tavrel {

// A readable table of the cells inside the extent: a header line, then one
// line per row with its 1-based row number. Columns are padded to their
// widest cell. A numeric cell inside its column's extent that holds no
// number shows as "--", as the runner prints the missing value; an empty
// cell of a text column, and any cell outside its column's extent, is blank.
// At most maxRows rows are shown.
std::string Format(const Dataset& dataset, int32_t maxRows = INT32_MAX);
std::string Format(const Worksheet& sheet, int32_t maxRows = INT32_MAX);

}  // namespace tavrel

#endif  // TAVREL_TABLE_H
