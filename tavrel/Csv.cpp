// Delimited text in and out of the stand-in host.
//
// The reader is this file's own rather than a CSV library's: the runner is
// built for Linux with g++ and for Windows with mingw-w64, and the packaged
// C library (libcsv) exists for Linux only. RFC 4180 needs little: the file
// is read whole, its records are split in place (a quoted field is unescaped
// inside the same buffer), and every field stays a view into that buffer
// until its column's kind is known, so no field costs an allocation of its
// own unless it ends up as a text cell.
#include "Csv.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "Host.h"
#include "NumberText.h"
#include "System.h"

namespace tavrel {

namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 20;
constexpr std::size_t kWriteBuffer = std::size_t{256} << 10;
// Room a number or a separator and a line end may take in the buffer.
constexpr std::size_t kWriteSlack = 64;

// Fields that read as the missing value, as pandas reads them by default
// (the empty field among them).
constexpr const char* kMissingSpellings[] = {"",       "#N/A",    "#N/A N/A", "#NA", "-1.#IND", "-1.#QNAN", "-NaN",
                                             "-nan",   "1.#IND",  "1.#QNAN",  "<NA>", "N/A",    "NA",       "NULL",
                                             "NaN",    "None",    "n/a",      "nan", "null",    nullptr};

bool IsMissingSpelling(std::string_view field) {
    if (field.size() > 8) return false;  // longer than the longest spelling
    for (const char* const* spelling = kMissingSpellings; *spelling != nullptr; ++spelling) {
        if (field == *spelling) return true;
    }
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A field as a number: see LoadCsv. NaN is never a number here; pandas'
// spellings of it are missing values.
bool ParseField(std::string_view field, double& value) {
    const char* begin = field.data();
    const char* end = begin + field.size();
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    const char* digits = begin;
    if (digits < end && *digits == '+') {
        ++digits;
        if (digits < end && (*digits == '+' || *digits == '-')) return false;
    }
    const auto result = std::from_chars(digits, end, value);
    if (result.ptr != end || digits == end) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Too large is no number; too small reads as a zero of its sign.
        const std::optional<double> near = ParseNumber(std::string_view(begin, static_cast<std::size_t>(end - begin)));
        if (!near) return false;
        value = *near;
        return true;
    }
    return result.ec == std::errc() && !std::isnan(value);
}

// The separator of a file whose first record starts at begin: the one of
// ',' ';' and tab met most often outside quotes, ',' on a tie or none.
char DetectSeparator(const char* begin, const char* end) {
    constexpr char kCandidates[] = {',', ';', '\t', '\0'};
    std::array<std::size_t, 3> counts{};
    bool quoted = false;
    for (const char* p = begin; p < end; ++p) {
        const char c = *p;
        if (c == '"') {
            quoted = !quoted;  // a doubled quote toggles twice
        } else if (!quoted) {
            if (c == '\n' || c == '\r') break;
            for (std::size_t k = 0; kCandidates[k] != '\0'; ++k) counts[k] += c == kCandidates[k];
        }
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < counts.size(); ++k) {
        if (counts[k] > counts[best]) best = k;
    }
    return kCandidates[best];
}

// The records of delimited text held in a buffer that the reader may
// change: quoted fields are unescaped in place, so every field is a view
// into the buffer.
class RecordReader {
public:
    RecordReader(char* begin, char* end, char separator) : at_(begin), end_(end), separator_(separator) {
        for (char c : {separator, '\n', '\r'}) stops_[static_cast<unsigned char>(c)] = true;
    }

    bool atEnd() const { return at_ == end_; }
    // The line (1-based) on which the next record starts.
    std::size_t line() const { return line_; }

    // Reads the next record into fields. False, with nothing consumed, when
    // a quoted field is still open at the end of the data.
    bool next(std::vector<std::string_view>& fields) {
        fields.clear();
        char* p = at_;
        std::size_t lines = 0;
        for (;;) {
            if (p < end_ && *p == '"') {
                char* const start = ++p;
                char* out = start;
                for (;;) {
                    if (p == end_) return false;
                    const char c = *p++;
                    if (c == '"') {
                        if (p == end_ || *p != '"') break;
                        ++p;
                    } else if (c == '\n') {
                        ++lines;
                    }
                    *out++ = c;
                }
                // Whatever follows the closing quote belongs to the field.
                while (p < end_ && !Stops(*p)) *out++ = *p++;
                fields.emplace_back(start, static_cast<std::size_t>(out - start));
            } else {
                char* const start = p;
                while (p < end_ && !Stops(*p)) ++p;
                fields.emplace_back(start, static_cast<std::size_t>(p - start));
            }
            if (p == end_) break;
            if (*p == separator_) {
                ++p;
                continue;
            }
            if (*p == '\r' && p + 1 < end_ && p[1] == '\n') ++p;
            ++p;
            ++lines;
            break;
        }
        at_ = p;
        line_ += lines;
        return true;
    }

private:
    bool Stops(char c) const { return stops_[static_cast<unsigned char>(c)]; }

    char* at_;
    char* end_;
    char separator_;
    std::size_t line_ = 1;
    std::array<bool, 256> stops_{};
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file into data; false with the system's reason in why.
bool ReadWhole(const std::string& path, std::string& data, std::string& why) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        why = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    // One read for the size the file has (and one byte to see its end),
    // blocks after that should it have grown.
    std::size_t want = !ec && size < std::numeric_limits<std::size_t>::max() / 2 ? static_cast<std::size_t>(size) + 1
                                                                                   : kReadBlock;
    std::size_t used = 0;
    for (;;) {
        data.resize(used + want);
        errno = 0;
        const std::size_t n = std::fread(data.data() + used, 1, want, file.get());
        used += n;
        if (n < want) {
            if (std::ferror(file.get())) {
                why = errno != 0 ? std::strerror(errno) : "a read error";
                return false;
            }
            break;
        }
        want = kReadBlock;
    }
    data.resize(used);
    return true;
}

// The column names of a header record: see LoadCsv.
std::vector<std::string> ColumnNames(const std::vector<std::string_view>& header) {
    std::vector<std::string> names;
    names.reserve(header.size());
    for (std::size_t k = 0; k < header.size(); ++k) {
        names.push_back(header[k].empty() ? "Unnamed: " + std::to_string(k) : std::string(header[k]));
    }
    // pandas' renaming of repeated names; keys without regard to case.
    std::unordered_map<std::string, std::size_t> present;  // names the header holds now
    for (const std::string& name : names) ++present[NameKey(name)];
    std::unordered_map<std::string, std::size_t> counts;  // uses of each name so far
    auto countOf = [&](const std::string& key) {
        const auto it = counts.find(key);
        return it == counts.end() ? std::size_t{0} : it->second;
    };
    for (std::string& name : names) {
        const std::string base = name;
        const std::string baseKey = NameKey(base);
        std::string renamed = base;
        std::size_t count = countOf(baseKey);
        if (count > 0) {
            while (count > 0) {
                counts[baseKey] = count + 1;
                renamed = base + "." + std::to_string(count);
                const auto it = present.find(NameKey(renamed));
                count = it != present.end() && it->second > 0 ? count + 1 : countOf(NameKey(renamed));
            }
            --present[baseKey];
            ++present[NameKey(renamed)];
            name = renamed;
        }
        counts[NameKey(renamed)] = count + 1;
    }
    return names;
}

// The fields of one column, row after row, and what they read as.
struct ColumnFields {
    std::vector<std::string_view> fields;
    bool numeric = true;
    std::vector<double> numbers;  // NaN: an empty cell
};

// Decides whether a column is numeric, with its numbers if so.
void Classify(ColumnFields& column) {
    constexpr double kEmpty = std::numeric_limits<double>::quiet_NaN();
    column.numbers.resize(column.fields.size());
    for (std::size_t i = 0; i < column.fields.size(); ++i) {
        const std::string_view field = column.fields[i];
        double& value = column.numbers[i];
        if (field.empty()) {
            value = kEmpty;
        } else if (!ParseField(field, value)) {
            if (!IsMissingSpelling(field)) {
                column.numeric = false;
                column.numbers.clear();
                column.numbers.shrink_to_fit();
                return;
            }
            value = kEmpty;
        }
    }
}

// Gives column k the name, or, when the host refuses it (another
// worksheet's column has the dataset name it would take), the first of
// name.1, name.2, ... that it takes.
void NameColumn(Worksheet& sheet, int k, const std::string& name) {
    if (sheet.renameColumn(k, name)) return;
    for (int suffix = 1; suffix < 1000000; ++suffix) {
        if (sheet.renameColumn(k, name + "." + std::to_string(suffix))) return;
    }
}

bool Load(Host& host, const std::string& name, const std::string& path, const CsvOptions& options,
          std::string& error) {
    auto fail = [&](const std::string& why) {
        error = "cannot load " + path + ": " + why;
        return false;
    };
    if (name.empty() || name.size() >= ZEL_WORKSHEET_NAME) {
        return fail("a worksheet name has 1 to " + std::to_string(ZEL_WORKSHEET_NAME - 1) + " characters");
    }
    if (host.FindWorksheet(name) != nullptr) return fail("a worksheet named " + name + " exists already");
    if (host.FindDataset(name) != nullptr) return fail("a dataset named " + name + " exists already");
    if (options.separator == '"' || options.separator == '\n' || options.separator == '\r') {
        return fail("a quote or a line end cannot separate fields");
    }

    std::string data;
    std::string why;
    if (!ReadWhole(path, data, why)) return fail(why);
    if (std::memchr(data.data(), '\0', data.size()) != nullptr) {
        return fail("not delimited text: the file holds NUL bytes");
    }
    char* begin = data.data();
    char* const end = begin + data.size();
    if (data.size() >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
    const char separator = options.separator != 0 ? options.separator : DetectSeparator(begin, end);

    RecordReader reader(begin, end, separator);
    std::vector<std::string_view> record;
    auto unclosed = [&]() {
        return fail("the quoted field in the record of line " + std::to_string(reader.line()) +
                    " is not closed by the end of the file");
    };
    if (reader.atEnd()) return fail("the file is empty: no record names the columns");
    const std::size_t firstBytes = std::max<std::size_t>(1, static_cast<std::size_t>(
                                                                std::find(begin, end, '\n') - begin) + 1);
    if (!reader.next(record)) return unclosed();
    const std::size_t width = record.size();
    std::vector<ColumnFields> columns(width);
    // Rows the file may hold, guessed from its first line.
    const std::size_t guess = static_cast<std::size_t>(end - begin) / firstBytes + 1;
    for (ColumnFields& column : columns) column.fields.reserve(guess);
    std::vector<std::string> names;
    if (options.header) {
        names = ColumnNames(record);
    } else {
        for (std::size_t k = 0; k < width; ++k) columns[k].fields.push_back(record[k]);
    }
    while (!reader.atEnd()) {
        const std::size_t line = reader.line();
        if (!reader.next(record)) return unclosed();
        if (record.size() > width) {
            return fail("line " + std::to_string(line) + " has " + std::to_string(record.size()) + " fields, " +
                        (options.header ? "the header " : "the first record ") + std::to_string(width));
        }
        for (std::size_t k = 0; k < record.size(); ++k) columns[k].fields.push_back(record[k]);
        for (std::size_t k = record.size(); k < width; ++k) columns[k].fields.emplace_back();
    }
    const std::size_t rows = columns.front().fields.size();
    if (rows > Dataset::kMaxCells) {
        return fail(std::to_string(rows) + " rows are more than a worksheet column holds (" +
                    std::to_string(Dataset::kMaxCells) + ")");
    }
    for (ColumnFields& column : columns) Classify(column);

    // Nothing can be refused from here on: the worksheet is made and filled.
    Worksheet& sheet = host.CreateWorksheet(name, 0);
    for (std::size_t k = 0; k < width; ++k) {
        const int number = static_cast<int>(k) + 1;
        sheet.addColumn();
        if (options.header) NameColumn(sheet, number, names[k]);
        if (!columns[k].numeric) sheet.setFormat(number, kFormatText);
    }
    sheet.setRowCount(static_cast<int32_t>(rows));
    for (std::size_t k = 0; k < width; ++k) {
        ColumnFields& column = columns[k];
        Dataset& dataset = sheet.column(static_cast<int>(k) + 1)->dataset();
        if (column.numeric) {
            for (std::size_t i = 0; i < rows; ++i) {
                if (!std::isnan(column.numbers[i])) dataset.set(i, column.numbers[i]);
            }
        } else {
            std::string text;
            for (std::size_t i = 0; i < rows; ++i) {
                const std::string_view field = column.fields[i];
                if (IsMissingSpelling(field)) continue;
                text.assign(field);
                dataset.setText(i, text);
            }
        }
    }
    return true;
}

// A save's output: fields and line ends gathered in a buffer of its own,
// written out whenever it fills. A failure is kept and ends the save.
class CsvWriter {
public:
    explicit CsvWriter(const CsvOptions& options)
        : separator_(options.separator != 0 ? options.separator : ','), crlf_(options.crlf), buffer_(kWriteBuffer) {}

    char separator() const { return separator_; }

    bool open(const std::string& path, std::string& error) {
        if (path.empty()) {
            error = "no file name";
            return false;
        }
        if (separator_ == '"' || separator_ == '\n' || separator_ == '\r') {
            error = "cannot save " + path + ": a quote or a line end cannot separate fields";
            return false;
        }
        return file_.open(path, error);
    }

    void putSeparator() {
        room();
        buffer_[used_++] = separator_;
    }

    void putLineEnd() {
        room();
        if (crlf_) buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }

    void putNumber(double value) {
        room();
        const auto result = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value);
        used_ = static_cast<std::size_t>(result.ptr - buffer_.data());
    }

    void putText(std::string_view text) {
        const char specials[] = {separator_, '"', '\r', '\n'};
        if (text.find_first_of(std::string_view(specials, sizeof specials)) == std::string_view::npos) {
            putBytes(text);
            return;
        }
        putBytes("\"");
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t quote = std::min(text.find('"', at), text.size());
            putBytes(text.substr(at, quote - at));
            if (quote < text.size()) putBytes("\"\"");
            at = quote + 1;
        }
        putBytes("\"");
    }

    // The cell at index as a field: nothing for an empty cell or one
    // outside the extent.
    void putCell(const Dataset& dataset, std::size_t index) {
        if (static_cast<int64_t>(index) < dataset.lower() || static_cast<int64_t>(index) >= dataset.upper()) return;
        switch (dataset.kind(index)) {
            case CellKind::Number: putNumber(*dataset.number(index)); break;
            case CellKind::Text: putText(dataset.text(index)); break;
            case CellKind::Empty: break;
        }
    }

    bool finish(std::string& error) {
        if (!flush()) {
            error = error_;
            return false;
        }
        return file_.commit(error);
    }

    bool failed() const { return failed_; }

private:
    // Makes room for a number, a separator or a line end.
    void room() {
        if (used_ + kWriteSlack > buffer_.size()) flush();
    }

    void putBytes(std::string_view bytes) {
        while (!bytes.empty()) {
            if (used_ == buffer_.size()) flush();
            const std::size_t n = std::min(bytes.size(), buffer_.size() - used_);
            std::memcpy(buffer_.data() + used_, bytes.data(), n);
            used_ += n;
            bytes.remove_prefix(n);
        }
    }

    bool flush() {
        if (!failed_ && used_ > 0 && !file_.write(buffer_.data(), used_, error_)) failed_ = true;
        used_ = 0;  // after a failure the rest is dropped
        return !failed_;
    }

    char separator_;
    bool crlf_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    std::string error_;
    system::FileReplacement file_;
};

bool SaveSheet(const Worksheet& sheet, const std::string& path, const CsvOptions& options, std::string& error) {
    CsvWriter out(options);
    if (!out.open(path, error)) return false;
    const int columns = sheet.columnCount();
    if (options.header) {
        for (int k = 1; k <= columns; ++k) {
            if (k > 1) out.putSeparator();
            out.putText(sheet.column(k)->name());
        }
        out.putLineEnd();
    }
    std::vector<const Dataset*> datasets;
    for (int k = 1; k <= columns; ++k) datasets.push_back(&sheet.column(k)->dataset());
    const auto rows = static_cast<std::size_t>(sheet.rows());
    for (std::size_t row = 0; row < rows && !out.failed(); ++row) {
        for (std::size_t k = 0; k < datasets.size(); ++k) {
            if (k > 0) out.putSeparator();
            out.putCell(*datasets[k], row);
        }
        out.putLineEnd();
    }
    return out.finish(error);
}

bool SaveDataset(const Dataset& dataset, const std::string& path, const CsvOptions& options, std::string& error) {
    CsvWriter out(options);
    if (!out.open(path, error)) return false;
    if (options.header) {
        out.putText(dataset.name());
        out.putLineEnd();
    }
    const auto rows = static_cast<std::size_t>(std::max(dataset.upper(), 0));
    for (std::size_t row = 0; row < rows && !out.failed(); ++row) {
        out.putCell(dataset, row);
        out.putLineEnd();
    }
    return out.finish(error);
}

// Runs a load or a save so that no exception leaves it.
template <class Work>
bool Guarded(const std::string& verb, const std::string& path, std::string& error, Work work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        error = "cannot " + verb + " " + path + ": out of memory";
    } catch (const std::exception& e) {
        error = "cannot " + verb + " " + path + ": " + e.what();
    } catch (...) {
        error = "cannot " + verb + " " + path;
    }
    return false;
}

}  // namespace

std::string CsvField(std::string_view text, char separator) {
    const char specials[] = {separator, '"', '\r', '\n'};
    if (text.find_first_of(std::string_view(specials, sizeof specials)) == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

bool LoadCsv(Host& host, const std::string& name, const std::string& path, const CsvOptions& options,
             std::string& error) {
    return Guarded("load", path, error, [&] { return Load(host, name, path, options, error); });
}

bool SaveCsv(const Worksheet& sheet, const std::string& path, const CsvOptions& options, std::string& error) {
    return Guarded("save", path, error, [&] { return SaveSheet(sheet, path, options, error); });
}

bool SaveCsv(const Dataset& dataset, const std::string& path, const CsvOptions& options, std::string& error) {
    return Guarded("save", path, error, [&] { return SaveDataset(dataset, path, options, error); });
}

bool SaveCsv(const Worksheet& sheet, const std::string& path, std::string& error) {
    return SaveCsv(sheet, path, CsvOptions{}, error);
}

bool SaveCsv(const Dataset& dataset, const std::string& path, std::string& error) {
    return SaveCsv(dataset, path, CsvOptions{}, error);
}

}  // namespace tavrel
