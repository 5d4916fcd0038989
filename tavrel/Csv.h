// Delimited text (CSV) in and out of the stand-in host: a file loaded into a
// new worksheet, and a worksheet or a dataset saved as a file.
#ifndef TAVREL_CSV_H
#define TAVREL_CSV_H

#include <string>
#include <string_view>

#include "Dataset.h"
#include "Worksheet.h"

namespace tavrel {

class Host;

struct CsvOptions {
    char separator = 0;  // load: 0 detects it among ',' ';' and tab; save: 0 means ','
    bool header = true;  // load: the first record names the columns; save: write the names
    bool crlf = false;   // save: CR LF line ends; LF otherwise
};

// One field as a save writes it: quoted, with its quotes doubled, when it
// holds the separator, a quote, a carriage return or a line feed.
std::string CsvField(std::string_view text, char separator = ',');

// Loads a delimited text file into a new worksheet `name` of host. False with
// error set (saying why, naming the file) when the file cannot be read, a
// worksheet or dataset of that name exists already, or the file is not
// delimited text this reader takes; nothing is created then.
//
// What it takes (RFC 4180, read the way pandas.read_csv reads it):
// - records end at LF, CR LF or a lone CR; the last one needs no line end. A
//   UTF-8 byte order mark at the start is dropped. An empty line is a record
//   of one empty field (a row of empty cells; pandas would skip it), so that
//   a saved column with empty cells loads back row for row.
// - fields in double quotes may hold separators, line ends and doubled
//   quotes; characters after the closing quote belong to the field as
//   written. A quote that is not closed by the end of the file is refused.
// - the separator is options.separator, or the one of ',' ';' and tab that
//   the first record holds most often outside quotes (',' on a tie or when
//   it holds none).
// - with options.header the first record names the columns: an empty name
//   becomes "Unnamed: K" (K the 0-based column), and names that repeat one
//   before them (without regard to case, as the worksheet compares names)
//   take the suffixes ".1", ".2", ... passing over names the header holds.
//   Without it the columns keep the worksheet's names A, B, C, ...
// - a record with fewer fields than the first leaves the rest of its row
//   empty; one with more is refused, naming its line.
// - empty fields, and pandas' spellings of a missing value ("NA", "NaN",
//   "nan", "NULL", "null", "None", "N/A", "#N/A", ...), are empty cells.
// - a column whose other fields are all numbers is numeric: decimals with an
//   optional sign ('+' too), point and exponent, blanks (space, tab) around
//   them allowed, and "inf" or "infinity" in any case; a number beyond the
//   range of a double is no number, one below its smallest is zero. Any
//   other column is a text column that keeps its fields as they are.
// - rows land in rows 0 .. n-1 of every column; each column's extent is n.
bool LoadCsv(Host& host, const std::string& name, const std::string& path, const CsvOptions& options,
             std::string& error);

// Saves the rows of a worksheet's extent (its longest column), or of a
// dataset's, as delimited text: the header line holds the column names (the
// dataset's name), numbers take their shortest text that reads back to the
// same double, texts are quoted as CsvField quotes them, and empty cells and
// cells outside a column's extent stay empty. The file is written through a
// small buffer (memory does not grow with the rows) to a temporary file
// beside path, which then replaces path in one rename; a file the user may
// not write, or one without write permission, is refused and left as it
// is. False with error set, naming path, on any failure.
bool SaveCsv(const Worksheet& sheet, const std::string& path, const CsvOptions& options, std::string& error);
bool SaveCsv(const Dataset& dataset, const std::string& path, const CsvOptions& options, std::string& error);
// The same with the default options: commas, a header line, LF line ends.
bool SaveCsv(const Worksheet& sheet, const std::string& path, std::string& error);
bool SaveCsv(const Dataset& dataset, const std::string& path, std::string& error);

}  // namespace tavrel

#endif  // TAVREL_CSV_H
