// zel_compare: ZEL side by side with numpy, pandas and python, through the
// stand-in host.
//
// For each task it makes a data file with a fixed seed, lets the peer read it
// (bench/peers.py, one python process per task, best of N), reads the same
// file into the host with ZEL the way a script does (AREAD, READRECORD or
// READARRAY on a fresh dataset or worksheet, or one LINEROW or LREAD call per
// line, best of N), and measures the floor: the file read once through a
// reused buffer, decoded, and stored with one host request per cell (or per
// line) through the same host callback the module uses. Every ZEL result and
// every floor result is compared with the peer's values, bit for bit; a
// mismatch ends the run with status 1.
//
// The import row does the same for a WAV file: one WAV call into a
// worksheet against scipy.io.wavfile.read and three float64 columns.
//
// The CSV rows time the host itself: tavrel::LoadCsv of a file that pandas
// wrote against pandas.read_csv, and tavrel::SaveCsv of 10,000,000 doubles
// against DataFrame.to_csv, with the peak resident memory of a child that
// does only the save.
//
// Then it times whole processes (the runner `zel` on a script that reads the
// doubles against `python3 -c` that does the same with numpy), and the peak
// resident memory of a child that does one AREAD of the doubles.
//
//   zel_compare --out DIR [--module LIBZEL] [--zel ZEL] [--python PY]
//               [--peers PEERS.py] [--reps N] [--only NAME,...]
//
// --only runs only the parts named: doubles, int16gap, records, csvrows,
// csvline, lines, wav, csvload, csvsave (the rows, by their names for
// peers.py), whole (the whole processes), memory.
//
// Exit status: 0 all checks passed; 1 a check failed; 2 the set-up is
// wrong (a missing module, runner, python or numpy, an unwritable folder).
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "Csv.h"
#include "Host.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kDoubles = 10'000'000;
constexpr uint32_t kShorts = 5'000'000;
constexpr uint32_t kRecords = 1'000'000;
constexpr uint32_t kRecordSize = 22;
constexpr const char* kTemplate = "SHORT|-LONG2|4|DOUBLE";
constexpr std::size_t kFloorBuffer = std::size_t{1} << 20;
constexpr uint32_t kCsvRows = 1'000'000;
constexpr uint32_t kCsvColumns = 3;
constexpr uint32_t kLineNumbers = 2'000'000;
constexpr uint32_t kTextLines = 1'000'000;
constexpr uint32_t kWavRate = 44'100;
constexpr uint32_t kWavFrames = 60 * kWavRate;  // 60 s
constexpr std::size_t kWavHeader = 44;
constexpr std::size_t kWavFrameBytes = 4;  // two 16-bit samples
constexpr uint32_t kCsvLoadRows = 100'000;
constexpr std::size_t kSaveBuffer = std::size_t{256} << 10;
constexpr uint64_t kDoublesSeed = 20240601;

// A wrong set-up: the module, the runner, python or numpy is missing.
struct SetupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A result that is not what it should be.
struct CheckFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Grouped(uint64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- Data files ------------------------------------------------------------

// A finite double with random sign, mantissa and an exponent in 2^-40..2^40:
// no NaN, no infinity, no subnormal, never the module's missing value, and
// no pattern for a compressor or a branch predictor.
double RandomDouble(std::mt19937_64& rng) {
    const uint64_t mantissa = rng() & ((uint64_t{1} << 52) - 1);
    const uint64_t draw = rng();
    const uint64_t exponent = 1023 - 40 + draw % 81;
    const uint64_t sign = (draw >> 63) << 63;
    const uint64_t bits = sign | (exponent << 52) | mantissa;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

template <class T>
void Put(std::vector<unsigned char>& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof(T));
}

template <class T>
T Get(const unsigned char* at) {
    T value;
    std::memcpy(&value, at, sizeof(T));
    return value;
}

void WriteFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw SetupError("cannot write " + path.string());
}

// Each maker writes its file and answers the values a reader should find,
// column after column for records.
std::vector<double> MakeDoubles(const fs::path& path) {
    std::mt19937_64 rng(kDoublesSeed);
    std::vector<unsigned char> bytes(std::size_t{kDoubles} * 8);
    std::vector<double> values(kDoubles);
    for (std::size_t i = 0; i < kDoubles; ++i) {
        values[i] = RandomDouble(rng);
        Put(bytes, i * 8, values[i]);
    }
    WriteFile(path, bytes);
    return values;
}

std::vector<double> MakeShortsWithGaps(const fs::path& path) {
    std::mt19937_64 rng(20240602);
    std::vector<unsigned char> bytes(std::size_t{kShorts} * 4);
    std::vector<double> values(kShorts);
    for (std::size_t i = 0; i < kShorts; ++i) {
        const uint64_t draw = rng();
        const auto value = static_cast<int16_t>(static_cast<uint16_t>(draw));
        values[i] = value;
        Put(bytes, i * 4, value);
        Put(bytes, i * 4 + 2, static_cast<uint16_t>(draw >> 16));  // gap bytes, random too
    }
    WriteFile(path, bytes);
    return values;
}

std::vector<double> MakeRecords(const fs::path& path) {
    std::mt19937_64 rng(20240603);
    std::vector<unsigned char> bytes(std::size_t{kRecords} * kRecordSize);
    std::vector<double> values(std::size_t{kRecords} * 4);
    for (std::size_t i = 0; i < kRecords; ++i) {
        const std::size_t at = i * kRecordSize;
        const uint64_t a = rng();
        const uint64_t b = rng();
        const auto u = static_cast<uint16_t>(a);
        const auto s1 = static_cast<int32_t>(static_cast<uint32_t>(a >> 16));
        const auto s2 = static_cast<int32_t>(static_cast<uint32_t>(b));
        const double d = RandomDouble(rng);
        Put(bytes, at, u);
        Put(bytes, at + 2, s1);
        Put(bytes, at + 6, s2);
        Put(bytes, at + 10, static_cast<uint32_t>(b >> 32));  // the 4 skipped bytes
        Put(bytes, at + 14, d);
        values[i] = u;
        values[kRecords + i] = s1;
        values[2 * std::size_t{kRecords} + i] = s2;
        values[3 * std::size_t{kRecords} + i] = d;
    }
    WriteFile(path, bytes);
    return values;
}

// The shortest text that reads back to the same double.
void AppendNumber(std::string& text, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw SetupError("cannot write " + path.string());
}

// Rows of three random doubles (as for the binary files: any sign and
// mantissa, exponents from 2^-40 to 2^40) in their shortest texts, with CRLF
// line ends.
std::vector<double> MakeCsvRows(const fs::path& path) {
    std::mt19937_64 rng(20240604);
    std::vector<double> values(std::size_t{kCsvRows} * kCsvColumns);
    std::string text;
    text.reserve(std::size_t{kCsvRows} * 72);
    for (std::size_t i = 0; i < kCsvRows; ++i) {
        for (std::size_t k = 0; k < kCsvColumns; ++k) {
            const double value = RandomDouble(rng);
            if (k > 0) text += ',';
            AppendNumber(text, value);
            values[k * kCsvRows + i] = value;
        }
        text += "\r\n";
    }
    WriteText(path, text);
    return values;
}

// One line of random doubles (any sign, mantissa and exponent), separated by
// commas, without a line end.
std::vector<double> MakeCsvLine(const fs::path& path) {
    std::mt19937_64 rng(20240605);
    std::vector<double> values(kLineNumbers);
    std::string text;
    text.reserve(std::size_t{kLineNumbers} * 24);
    for (std::size_t i = 0; i < kLineNumbers; ++i) {
        values[i] = RandomDouble(rng);
        if (i > 0) text += ',';
        AppendNumber(text, values[i]);
    }
    WriteText(path, text);
    return values;
}

// Lines of text of 10 to 70 characters ending in a line feed.
std::vector<std::string> MakeLines(const fs::path& path) {
    static constexpr const char* kWords[] = {"sensor", "reading", "value", "ok", "channel", "the", "of",
                                             "temperature", "a", "calibrated", "pressure", "at", "run"};
    std::mt19937_64 rng(20240606);
    std::vector<std::string> lines(kTextLines);
    std::string text;
    text.reserve(std::size_t{kTextLines} * 42);
    for (std::size_t i = 0; i < kTextLines; ++i) {
        std::string& line = lines[i];
        line = "line ";
        line += std::to_string(i);
        line += ':';
        const std::size_t length = 10 + rng() % 61;
        while (line.size() < length) {
            line += ' ';
            line += kWords[rng() % std::size(kWords)];
            if (rng() % 3 == 0) {
                line += ' ';
                line += std::to_string(rng() % 100000);
            }
        }
        line.resize(length);
        text += line;
        text += '\n';
    }
    WriteText(path, text);
    return lines;
}

// 60 s of 16-bit stereo PCM at 44.1 kHz behind the 44-byte RIFF header:
// random samples over the whole int16 range, negatives included. Answers
// the worksheet's three columns: the time of each frame as the importer
// computes it (i * step + step, step = 1 / rate), the left samples (even)
// and the right ones (odd).
std::vector<double> MakeWav(const fs::path& path) {
    std::mt19937_64 rng(20240607);
    const auto dataBytes = static_cast<uint32_t>(kWavFrames * kWavFrameBytes);
    std::vector<unsigned char> bytes(kWavHeader + dataBytes);
    std::memcpy(bytes.data(), "RIFF", 4);
    Put(bytes, 4, static_cast<uint32_t>(kWavHeader - 8 + dataBytes));
    std::memcpy(bytes.data() + 8, "WAVEfmt ", 8);
    Put(bytes, 16, uint32_t{16});                                      // format chunk size
    Put(bytes, 20, uint16_t{1});                                       // PCM
    Put(bytes, 22, uint16_t{2});                                       // channels
    Put(bytes, 24, kWavRate);                                          // frames a second
    Put(bytes, 28, static_cast<uint32_t>(kWavRate * kWavFrameBytes));  // bytes a second
    Put(bytes, 32, static_cast<uint16_t>(kWavFrameBytes));             // block align
    Put(bytes, 34, uint16_t{16});                                      // bits a sample
    std::memcpy(bytes.data() + 36, "data", 4);
    Put(bytes, 40, dataBytes);
    std::vector<double> values(std::size_t{kWavFrames} * 3);
    const double step = 1.0 / kWavRate;
    for (std::size_t i = 0; i < kWavFrames; ++i) {
        const uint64_t draw = rng();
        const auto left = static_cast<int16_t>(static_cast<uint16_t>(draw));
        const auto right = static_cast<int16_t>(static_cast<uint16_t>(draw >> 16));
        Put(bytes, kWavHeader + i * kWavFrameBytes, left);
        Put(bytes, kWavHeader + i * kWavFrameBytes + 2, right);
        values[i] = static_cast<double>(i) * step + step;
        values[kWavFrames + i] = left;
        values[2 * std::size_t{kWavFrames} + i] = right;
    }
    WriteFile(path, bytes);
    return values;
}

// ---- Child processes -------------------------------------------------------

struct ChildResult {
    int status = 0;  // as waitpid gives it
    double seconds = 0;
    struct rusage usage {};
    std::string out;  // standard output
};

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return Printf("signal %d (%s)", WTERMSIG(status), strsignal(WTERMSIG(status)));
    return "status " + std::to_string(status);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The environment of python children: ours without the variables that would
// point /usr/bin/python3 at another installation's modules.
std::vector<std::string> PythonEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry(*e);
        if (entry.starts_with("PYTHONHOME=") || entry.starts_with("PYTHONPATH=") ||
            entry.starts_with("PYTHONSTARTUP=") || entry.starts_with("PYTHONUSERBASE=")) {
            continue;
        }
        env.emplace_back(entry);
    }
    return env;
}

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    return env;
}

std::vector<std::string> EnvironmentWith(const std::string& name, const std::string& value) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (!std::string_view(*e).starts_with(name + "=")) env.emplace_back(*e);
    }
    env.push_back(name + "=" + value);
    return env;
}

// Runs argv[0] (a path) in cwd with standard output in outFile; standard
// error stays ours. The time runs from the spawn to the child's end.
ChildResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const fs::path& cwd, const fs::path& outFile) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = outFile.string();
    const std::string dir = cwd.string();
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

    ChildResult result;
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw SetupError("cannot run " + argv[0] + ": " + std::strerror(error));
    while (wait4(pid, &result.status, 0, &result.usage) < 0) {
        if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    }
    result.seconds = Seconds(start);
    result.out = ReadText(outFile);
    return result;
}

// ---- Checks ----------------------------------------------------------------

std::vector<double> ReadDoubles(const fs::path& path, std::size_t count) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size != count * 8) {
        throw CheckFailed(Printf("%s holds %s bytes, not the %s of %s values", path.c_str(),
                                 ec ? "no" : Grouped(size).c_str(), Grouped(count * 8).c_str(),
                                 Grouped(count).c_str()));
    }
    std::vector<double> values(count);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(count * 8));
    if (!in) throw CheckFailed("cannot read " + path.string());
    return values;
}

// Compares count cells, bit for bit; empty or text cells are mismatches.
// The message names the first few differences.
// Cells run column after column, rows to a column (rows 0: one column).
void CompareCells(const std::string& what, const std::function<std::optional<double>(std::size_t)>& cell,
                  const double* expected, std::size_t count, const char* expectedName, std::size_t rows = 0) {
    std::size_t bad = 0;
    std::string detail;
    for (std::size_t i = 0; i < count; ++i) {
        const std::optional<double> got = cell(i);
        if (got && Bits(*got) == Bits(expected[i])) continue;
        if (++bad <= 3) {
            const std::string where = rows > 0 && count > rows
                                          ? Printf("column %zu, row %zu", i / rows + 1, i % rows + 1)
                                          : Printf("row %zu", i + 1);
            detail += got ? Printf("\n  %s: %.17g (0x%016" PRIx64 "), %s has %.17g (0x%016" PRIx64 ")", where.c_str(),
                                   *got, Bits(*got), expectedName, expected[i], Bits(expected[i]))
                          : Printf("\n  %s: no number, %s has %.17g", where.c_str(), expectedName, expected[i]);
        }
    }
    if (bad > 0) {
        throw CheckFailed(Printf("%s: %s of %s cells differ from %s", what.c_str(), Grouped(bad).c_str(),
                                 Grouped(count).c_str(), expectedName) +
                          detail);
    }
}

void CompareDataset(const std::string& what, const tavrel::Dataset& dataset, const double* expected,
                    std::size_t count, const char* expectedName) {
    if (dataset.upper() != static_cast<int32_t>(count) || dataset.lower() != 0) {
        throw CheckFailed(Printf("%s: the dataset %s spans rows [%d, %d), not [0, %zu)", what.c_str(),
                                 dataset.name().c_str(), dataset.lower(), dataset.upper(), count));
    }
    CompareCells(
        what, [&](std::size_t i) { return dataset.number(i); }, expected, count, expectedName);
}

// The values a task leaves: one dataset (columns 0), or the columns of a
// worksheet, column after column.
void CompareResult(const std::string& what, tavrel::Host& host, int columns, const double* expected,
                   std::size_t rows, const char* expectedName) {
    if (columns == 0) {
        const tavrel::Dataset* d = host.FindDataset("d");
        if (d == nullptr) throw CheckFailed(what + ": the dataset d is gone");
        CompareDataset(what, *d, expected, rows, expectedName);
        return;
    }
    tavrel::Worksheet* w = host.FindWorksheet("w");
    if (w == nullptr) throw CheckFailed(what + ": the worksheet w is gone");
    if (w->columnCount() != columns) {
        throw CheckFailed(Printf("%s: the worksheet has %d columns, not %d", what.c_str(), w->columnCount(), columns));
    }
    for (int k = 1; k <= columns; ++k) {
        CompareDataset(Printf("%s, column %d", what.c_str(), k), w->column(k)->dataset(),
                       expected + static_cast<std::size_t>(k - 1) * rows, rows, expectedName);
    }
}

// ---- The tasks -------------------------------------------------------------

// What a task reads: binary values or records, or text.
enum class Kind {
    Binary,    // one call; values of recordSize bytes, or records into a worksheet
    CsvRows,   // one LINEROW call per line, three numbers into a worksheet
    CsvLine,   // one READARRAY call, one line of numbers into a dataset
    Lines,     // one LREAD call per line into a string variable
    Wav,       // one WAV call: a RIFF WAVE file into a worksheet (time, Left, Right)
};

struct Task {
    std::string label;     // in the table
    std::string peerName;  // the task's name for peers.py
    std::string file;      // under the scratch folder
    uint32_t rows;         // values, records or lines
    int columns;           // of the worksheet w; 0: the dataset d
    std::size_t recordSize;                                 // bytes a value or record takes
    std::vector<std::pair<const char*, double>> properties;  // set before OPEN
    std::string call;                                       // method
    std::string args;                                       // its argument text
    Kind kind = Kind::Binary;
    std::string peer = "numpy";  // who the peer is, in messages
    // Whether the host serves the block request: ZEL then stores a block a
    // request, and so does the floor; otherwise both store one cell a request.
    bool blocks = false;
};

// The cells a block request of the floor carries, as many as ZEL's.
constexpr std::size_t kBlockCells = 65536;

// The same task through a host without the block request.
Task PerCell(Task task) {
    task.label += " per cell";
    task.blocks = false;
    return task;
}

struct Timings {
    double zel = 0;
    double peer = 0;
    double floor = 0;
};

// ---- CSV tables ------------------------------------------------------------

// A table as peers.py writes it (VALUES and VALUES.txt, see make-csvload),
// or as a worksheet holds it: column names, kinds ('n' numeric, 't' text),
// the numbers of numeric columns (NaN: an empty cell) and the texts of text
// columns ("": an empty cell).
struct CsvTable {
    std::vector<std::string> names;
    std::vector<char> kinds;
    std::vector<std::vector<double>> numbers;     // per column; empty for a text column
    std::vector<std::vector<std::string>> texts;  // per column; empty for a numeric column
    std::size_t rows = 0;
};

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        parts.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) return parts;
        at = tab + 1;
    }
}

CsvTable ReadTable(const fs::path& values, std::size_t rows) {
    CsvTable table;
    table.rows = rows;
    std::ifstream texts(values.string() + ".txt", std::ios::binary);
    std::string line;
    std::string kinds;
    if (!std::getline(texts, line) || !std::getline(texts, kinds)) {
        throw CheckFailed(values.string() + ".txt holds no names and kinds");
    }
    table.names = SplitTabs(line);
    std::size_t numeric = 0;
    for (const std::string& kind : SplitTabs(kinds)) {
        if (kind != "n" && kind != "t") throw CheckFailed(values.string() + ".txt: a kind \"" + kind + "\"");
        table.kinds.push_back(kind[0]);
        numeric += kind == "n";
    }
    if (table.kinds.size() != table.names.size()) throw CheckFailed(values.string() + ".txt: names and kinds differ");
    const std::vector<double> all = ReadDoubles(values, numeric * rows);
    std::size_t column = 0;
    for (char kind : table.kinds) {
        table.numbers.emplace_back();
        table.texts.emplace_back();
        if (kind == 'n') {
            table.numbers.back().assign(all.begin() + static_cast<std::ptrdiff_t>(column * rows),
                                        all.begin() + static_cast<std::ptrdiff_t>((column + 1) * rows));
            ++column;
            continue;
        }
        for (std::size_t i = 0; i < rows; ++i) {
            if (!std::getline(texts, line)) throw CheckFailed(values.string() + ".txt ends before its texts");
            table.texts.back().push_back(line);
        }
    }
    return table;
}

// A worksheet's table; its columns must span rows [0, rows).
CsvTable TableOf(const std::string& what, const tavrel::Worksheet& sheet, std::size_t rows) {
    CsvTable table;
    table.rows = rows;
    for (int k = 1; k <= sheet.columnCount(); ++k) {
        const tavrel::Column& column = *sheet.column(k);
        const tavrel::Dataset& d = column.dataset();
        if (d.lower() != 0 || d.upper() != static_cast<int32_t>(rows)) {
            throw CheckFailed(Printf("%s: column %s spans rows [%d, %d), not [0, %zu)", what.c_str(),
                                     column.name().c_str(), d.lower(), d.upper(), rows));
        }
        const bool text = column.format() == tavrel::kFormatText;
        table.names.push_back(column.name());
        table.kinds.push_back(text ? 't' : 'n');
        table.numbers.emplace_back();
        table.texts.emplace_back();
        for (std::size_t i = 0; i < rows; ++i) {
            const tavrel::CellKind kind = d.kind(i);
            if (text) {
                // A number in a text column cannot match a text of the peer.
                table.texts.back().push_back(kind == tavrel::CellKind::Text     ? d.text(i)
                                             : kind == tavrel::CellKind::Number ? "(a number) " + d.display(i)
                                                                                : std::string());
            } else {
                table.numbers.back().push_back(d.number(i).value_or(std::numeric_limits<double>::quiet_NaN()));
            }
        }
    }
    return table;
}

// Compares two tables: names, kinds, numbers bit for bit (NaN matches NaN:
// an empty cell), texts byte for byte. The message names the first few
// differences.
void CompareTables(const std::string& what, const CsvTable& got, const CsvTable& expected, const char* expectedName) {
    if (got.names != expected.names || got.kinds != expected.kinds) {
        auto list = [](const CsvTable& t) {
            std::string out;
            for (std::size_t k = 0; k < t.names.size(); ++k) {
                out += (k > 0 ? ", " : "") + t.names[k] + " (" + (t.kinds[k] == 't' ? "text" : "numeric") + ")";
            }
            return out;
        };
        throw CheckFailed(what + ": the columns are " + list(got) + "; " + expectedName + " has " + list(expected));
    }
    std::size_t bad = 0;
    std::string detail;
    for (std::size_t k = 0; k < expected.names.size(); ++k) {
        for (std::size_t i = 0; i < expected.rows; ++i) {
            std::string mismatch;
            if (expected.kinds[k] == 'n') {
                const double a = got.numbers[k][i];
                const double b = expected.numbers[k][i];
                if ((std::isnan(a) && std::isnan(b)) || Bits(a) == Bits(b)) continue;
                auto show = [](double v) {
                    return std::isnan(v) ? std::string("an empty cell") : Printf("%.17g (0x%016" PRIx64 ")", v, Bits(v));
                };
                mismatch = show(a) + ", " + expectedName + " has " + show(b);
            } else {
                if (got.texts[k][i] == expected.texts[k][i]) continue;
                mismatch = "\"" + got.texts[k][i] + "\", " + expectedName + " has \"" + expected.texts[k][i] + "\"";
            }
            if (++bad <= 3) detail += Printf("\n  column %s, row %zu: ", expected.names[k].c_str(), i + 1) + mismatch;
        }
    }
    if (bad > 0) {
        throw CheckFailed(Printf("%s: %s of %s cells differ from %s", what.c_str(), Grouped(bad).c_str(),
                                 Grouped(expected.rows * expected.names.size()).c_str(), expectedName) +
                          detail);
    }
}

// A saved column: the header line name, then one shortest number a line,
// each read back with from_chars and compared bit for bit with values.
void CheckSavedColumn(const std::string& what, const fs::path& path, const std::string& name,
                      const std::vector<double>& values) {
    const std::string text = ReadText(path);
    const std::string header = name + "\n";
    if (text.compare(0, header.size(), header) != 0) {
        throw CheckFailed(what + ": " + path.string() + " does not start with the line \"" + name + "\"");
    }
    std::size_t at = header.size();
    std::size_t bad = 0;
    std::string detail;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            throw CheckFailed(Printf("%s: %s ends after %zu of %zu values", what.c_str(), path.c_str(), i, values.size()));
        }
        double value = 0;
        const auto result = std::from_chars(text.data() + at, text.data() + end, value);
        if (result.ec != std::errc() || result.ptr != text.data() + end || Bits(value) != Bits(values[i])) {
            if (++bad <= 3) {
                detail += Printf("\n  line %zu: \"%s\", written from %.17g (0x%016" PRIx64 ")", i + 2,
                                 text.substr(at, end - at).c_str(), values[i], Bits(values[i]));
            }
        }
        at = end + 1;
    }
    if (at != text.size()) throw CheckFailed(what + ": " + path.string() + " holds more lines than values");
    if (bad > 0) {
        throw CheckFailed(Printf("%s: %s of %s lines of %s do not read back to their value", what.c_str(),
                                 Grouped(bad).c_str(), Grouped(values.size()).c_str(), path.c_str()) +
                          detail);
    }
}

class Bench {
public:
    Bench(fs::path out, std::string module, std::string zel, std::string python, std::string peers, int reps,
          std::vector<std::string> only)
        : out_(std::move(out)),
          module_(std::move(module)),
          zel_(std::move(zel)),
          python_(std::move(python)),
          peers_(std::move(peers)),
          reps_(reps),
          only_(std::move(only)) {}

    int Main();

private:
    void CheckSetup();
    std::string PeerVersion();
    double RunPeerProcess(const Task& task, const fs::path& values);
    double RunPeer(const Task& task, const std::vector<double>& expected, std::vector<double>& peerValues);
    std::unique_ptr<tavrel::Host> PrepareHost(const Task& task);
    double RunZel(const Task& task, const std::vector<double>& peerValues, bool timed);
    double RunFloor(const Task& task, const std::vector<double>& peerValues, std::vector<unsigned char>& buffer);
    Timings RunTask(const Task& task, const std::vector<double>& expected);
    double RunLinesPeer(const Task& task, const std::vector<std::string>& expected, std::vector<std::string>& peerLines);
    double RunLinesZel(const Task& task, const std::vector<std::string>& peerLines, bool timed);
    double RunLinesFloor(const Task& task, const std::vector<std::string>& peerLines, std::vector<unsigned char>& buffer);
    Timings RunLinesTask(const Task& task, const std::vector<std::string>& expected);
    double RunCsvLoadZel(const Task& task, const CsvTable& peer, bool timed);
    double RunCsvLoadFloor(const Task& task, const CsvTable& peer, std::vector<unsigned char>& buffer);
    Timings RunCsvLoadTask(const Task& task);
    Timings RunCsvSaveTask(const Task& task, const std::vector<double>& values);
    void SaveMemory();
    std::pair<double, double> WholeProcesses(const std::string& zelScript, const std::string& zelOut,
                                             const std::string& python, const std::string& pythonOut,
                                             const char* what);
    void Memory();
    // Whether a part runs: all do unless --only names some.
    bool Selected(std::string_view name) const {
        return only_.empty() || std::find(only_.begin(), only_.end(), name) != only_.end();
    }

    fs::path out_;
    std::string module_;
    std::string zel_;
    std::string python_;
    std::string peers_;
    int reps_;
    std::vector<std::string> only_;  // the parts --only names; empty: all
    uint64_t checkedCells_ = 0;
};

void Bench::CheckSetup() {
    if (access(module_.c_str(), R_OK) != 0) {
        throw SetupError("no module at " + module_ +
                         " (build it: cmake --build build-rel --target zel, or run bench/run)");
    }
    if (access(zel_.c_str(), X_OK) != 0) {
        throw SetupError("no runner at " + zel_ + " (build it: cmake --build build-rel --target zel_cli, or run bench/run)");
    }
    if (access(python_.c_str(), X_OK) != 0) {
        throw SetupError("no python at " + python_ + " (bench/run installs Debian's python3-numpy)");
    }
    if (access(peers_.c_str(), R_OK) != 0) throw SetupError("no peers script at " + peers_);
}

std::string Bench::PeerVersion() {
    const ChildResult r = Run({python_, "-s", peers_, "version"}, PythonEnvironment(), out_, out_ / "peer-version.out");
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        throw SetupError(python_ + " " + peers_ + " version failed (" + DescribeStatus(r.status) +
                         "); bench/run installs Debian's python3-numpy");
    }
    std::string text = r.out;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The peer reads the file reps times and answers its best time; what it
// read lands in its values file.
double Bench::RunPeerProcess(const Task& task, const fs::path& values) {
    fs::remove(values);
    const ChildResult r = Run({python_, "-s", peers_, task.peerName, (out_ / task.file).string(),
                               std::to_string(task.rows), values.string(), std::to_string(reps_)},
                              PythonEnvironment(), out_, out_ / ("peer-" + task.peerName + ".out"));
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        throw SetupError(task.peer + "'s reader for " + task.peerName + " failed (" + DescribeStatus(r.status) + ")");
    }
    double best = -1;
    std::istringstream lines(r.out);
    for (std::string word; lines >> word;) {
        if (word == "best") lines >> best;
    }
    if (!(best > 0)) throw CheckFailed(task.peer + "'s reader for " + task.peerName + " gave no time: " + r.out);
    return best;
}

// The peer's values (float64, column after column) are checked against
// what was written.
double Bench::RunPeer(const Task& task, const std::vector<double>& expected, std::vector<double>& peerValues) {
    const fs::path values = out_ / ("peer-" + task.peerName + ".f64");
    const double best = RunPeerProcess(task, values);
    peerValues = ReadDoubles(values, expected.size());
    CompareCells(
        task.label + ": " + task.peer + "'s values",
        [&](std::size_t i) { return std::optional<double>(peerValues[i]); }, expected.data(), expected.size(),
        "the generated file", task.rows);
    return best;
}

// A fresh host with the task's settings, the file open, and the dataset or
// worksheet to read into.
std::unique_ptr<tavrel::Host> Bench::PrepareHost(const Task& task) {
    auto host = std::make_unique<tavrel::Host>(module_);
    host->servesBlocks = task.blocks;
    for (const auto& [name, value] : task.properties) {
        if (host->SetNumber(nullptr, name, value) != ZEL_RESULT_DONE) {
            throw CheckFailed(Printf("ZEL refused %s = %g", name, value));
        }
    }
    const std::string path = (out_ / task.file).string();
    if (host->Call("OPEN", path + ",0").code != ZEL_RESULT_DONE) throw CheckFailed("ZEL cannot open " + path);
    if (task.kind == Kind::Wav) {
        // A script's worksheet for a sound: the times and the samples. The
        // import splits the samples into Left and Right, 3 columns in all.
        host->CreateWorksheet("w", 2);
    } else if (task.columns > 0) {
        host->CreateWorksheet("w", task.columns);
    } else {
        host->CreateDataset("d");
    }
    return host;
}

// One read by ZEL into a fresh host, dataset or worksheet, as a script does
// it; answers the time of the read requests alone and checks every cell.
double Bench::RunZel(const Task& task, const std::vector<double>& peerValues, bool timed) {
    const std::unique_ptr<tavrel::Host> host = PrepareHost(task);
    const std::string what = Printf("ZEL %s(%s)%s", task.call.c_str(), task.args.c_str(), timed ? "" : ", check run");
    double seconds = 0;
    if (task.kind == Kind::CsvRows) {
        // One call per line, each answering the three fields it met.
        uint32_t wrong = 0;
        tavrel::CallResult last;
        const auto start = std::chrono::steady_clock::now();
        for (uint32_t i = 0; i < task.rows; ++i) {
            last = host->Call(task.call, task.args);
            wrong += last.code != ZEL_RESULT_DONE || last.value != kCsvColumns;
        }
        seconds = Seconds(start);
        if (wrong > 0) {
            throw CheckFailed(Printf("%s: %u of %u calls did not answer %u (the last: code %d, value %.17g)",
                                     what.c_str(), wrong, task.rows, kCsvColumns, last.code, last.value));
        }
    } else {
        const auto start = std::chrono::steady_clock::now();
        const tavrel::CallResult r = host->Call(task.call, task.args);
        seconds = Seconds(start);
        // The readers answer the count; an import answers no number (the
        // missing value).
        const double answer = task.kind == Kind::Wav ? ZEL_MISSING_VALUE : task.rows;
        if (r.code != ZEL_RESULT_DONE || r.value != answer) {
            throw CheckFailed(Printf("%s answered code %d, value %.17g; expected code %d, value %.17g", what.c_str(),
                                     r.code, r.value, ZEL_RESULT_DONE, answer));
        }
    }
    double error = -1;
    host->GetNumber(nullptr, "ERROR", error);
    if (error != 0) throw CheckFailed(Printf("%s left ERROR %g", what.c_str(), error));
    CompareResult(what, *host, task.columns, peerValues.data(), task.rows, task.peer.c_str());
    if (task.kind == Kind::Wav) {
        const tavrel::Worksheet& w = *host->FindWorksheet("w");
        if (w.column(2)->name() != "Left" || w.column(3)->name() != "Right" ||
            w.rows() != static_cast<int32_t>(task.rows)) {
            throw CheckFailed(Printf("%s: columns 2 and 3 are named \"%s\" and \"%s\" and the worksheet has %d rows; "
                                     "expected \"Left\", \"Right\" and %u rows",
                                     what.c_str(), w.column(2)->name().c_str(), w.column(3)->name().c_str(), w.rows(),
                                     task.rows));
        }
    }
    checkedCells_ += peerValues.size();
    host->Call("CLOSEALL", "");
    return seconds;
}

// Reads count records of size bytes from path through buffer, handing each
// to onRecord; the buffer is the caller's and is reused.
// The records start at byte offset of the file.
template <class OnRecord>
void ReadThrough(const std::string& path, std::size_t size, std::size_t count, std::vector<unsigned char>& buffer,
                 OnRecord onRecord, off_t offset = 0) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SetupError("cannot open " + path + ": " + std::strerror(errno));
    if (offset > 0 && lseek(fd, offset, SEEK_SET) != offset) {
        close(fd);
        throw SetupError("cannot seek in " + path + ": " + std::strerror(errno));
    }
    std::size_t have = 0;
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = read(fd, buffer.data() + have, buffer.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            throw CheckFailed(path + " ends before its " + Grouped(count) + " records");
        }
        have += static_cast<std::size_t>(n);
        const std::size_t whole = std::min(have / size, count - done);
        const unsigned char* at = buffer.data();
        for (std::size_t i = 0; i < whole; ++i, at += size) onRecord(done + i, at);
        done += whole;
        const std::size_t used = whole * size;
        std::memmove(buffer.data(), buffer.data() + used, have - used);
        have -= used;
    }
    close(fd);
}

// Hands every piece of the file that ends at the terminator (and the last
// one, which may have none) to onPiece, reading through the reused buffer.
template <class OnPiece>
void ScanPieces(const std::string& path, char terminator, std::vector<unsigned char>& buffer, OnPiece onPiece) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SetupError("cannot open " + path + ": " + std::strerror(errno));
    // One byte of the buffer stays free after what was read, so that a
    // reader may terminate the last piece in place.
    std::size_t have = 0;
    for (;;) {
        if (have + 1 >= buffer.size()) {
            close(fd);
            throw CheckFailed(path + " holds a piece longer than the buffer");
        }
        const ssize_t n = read(fd, buffer.data() + have, buffer.size() - 1 - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            throw SetupError("cannot read " + path + ": " + std::strerror(errno));
        }
        char* const begin = reinterpret_cast<char*>(buffer.data());
        char* const end = begin + have + static_cast<std::size_t>(n);
        if (n == 0) {
            if (have > 0) onPiece(begin, end);
            break;
        }
        char* piece = begin;
        for (char* stop; (stop = static_cast<char*>(std::memchr(piece, terminator, static_cast<std::size_t>(end - piece)))) != nullptr;
             piece = stop + 1) {
            onPiece(piece, stop);
        }
        have = static_cast<std::size_t>(end - piece);
        std::memmove(begin, piece, have);
    }
    close(fd);
}

// The rate of the floor's WAV file, from its 44-byte header, which must
// describe 16-bit stereo PCM.
uint32_t WavRate(const std::string& path) {
    unsigned char header[kWavHeader];
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SetupError("cannot open " + path + ": " + std::strerror(errno));
    const ssize_t n = pread(fd, header, sizeof header, 0);
    close(fd);
    if (n != static_cast<ssize_t>(sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVEfmt ", 8) != 0 || std::memcmp(header + 36, "data", 4) != 0 ||
        Get<uint16_t>(header + 20) != 1 || Get<uint16_t>(header + 22) != 2 || Get<uint16_t>(header + 34) != 16 ||
        Get<uint32_t>(header + 24) == 0) {
        throw CheckFailed(path + " is not the 16-bit stereo PCM file the floor reads");
    }
    return Get<uint32_t>(header + 24);
}

// A number of a piece of text; the floor's parser.
double ParseField(const char* begin, const char* end, bool& bad) {
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    bad = bad || result.ec != std::errc() || result.ptr != end;
    return value;
}

// The floor: one set-range request per dataset, then the file read once
// through a reused buffer and decoded, with one store request per cell, all
// through the host's callback as the module would send them.
double Bench::RunFloor(const Task& task, const std::vector<double>& peerValues, std::vector<unsigned char>& buffer) {
    tavrel::Host host(module_);
    std::vector<uint32_t> handles;
    if (task.columns > 0) {
        tavrel::Worksheet& w = host.CreateWorksheet("w", task.columns);
        for (int k = 1; k <= task.columns; ++k) handles.push_back(w.column(k)->dataset().handle());
    } else {
        handles.push_back(host.CreateDataset("d").handle());
    }
    const uint32_t hostHandle = host.handle();
    const std::string path = (out_ / task.file).string();
    std::size_t refused = 0;
    bool bad = false;
    // With blocks, each dataset's cells are staged and sent kBlockCells a
    // request, as ZEL sends them.
    std::vector<double> staged(task.blocks ? handles.size() * kBlockCells : 0);
    std::vector<std::size_t> stagedCount(handles.size(), 0);
    std::vector<std::size_t> stagedFirst(handles.size(), 0);
    auto send = [&](std::size_t k) {
        if (stagedCount[k] == 0) return;
        ZelBlock block{static_cast<int32_t>(stagedFirst[k]), static_cast<int32_t>(stagedCount[k]), 0, 0,
                       staged.data() + k * kBlockCells};
        refused += tavrel::Host::Callback(hostHandle, ZEL_CB_BLOCK_SET, static_cast<intptr_t>(handles[k]),
                                          reinterpret_cast<intptr_t>(&block)) != 0;
        stagedCount[k] = 0;
    };
    // Column k of the task (its dataset handles[k]), cell index.
    auto store = [&](std::size_t k, std::size_t index, double value) {
        if (task.blocks) {
            if (stagedCount[k] == 0) stagedFirst[k] = index;
            staged[k * kBlockCells + stagedCount[k]++] = value;
            if (stagedCount[k] == kBlockCells) send(k);
            return;
        }
        ZelIndexedValue cell{static_cast<int32_t>(index), 0, value};
        refused += tavrel::Host::Callback(hostHandle, ZEL_CB_VALUE_SET, static_cast<intptr_t>(handles[k]),
                                          reinterpret_cast<intptr_t>(&cell)) != 0;
    };

    // The extent: per cell, first, so that the host sizes each dataset's
    // storage once; with blocks, last, as each block grows the storage it
    // fills (cells are then written once, not cleared first).
    auto setExtents = [&] {
        for (uint32_t dataset : handles) {
            ZelRange range{0, static_cast<int32_t>(task.rows), 0};
            refused += tavrel::Host::Callback(hostHandle, ZEL_CB_SET_RANGE, static_cast<intptr_t>(dataset),
                                              reinterpret_cast<intptr_t>(&range)) != 0;
        }
    };
    const auto start = std::chrono::steady_clock::now();
    if (!task.blocks) setExtents();
    std::size_t row = 0;
    switch (task.kind) {
        case Kind::CsvRows:
            ScanPieces(path, '\n', buffer, [&](const char* begin, const char* end) {
                if (end > begin && end[-1] == '\r') --end;
                for (std::size_t k = 0; k < handles.size(); ++k) {
                    const char* comma = k + 1 < handles.size() ? std::find(begin, end, ',') : end;
                    store(k, row, ParseField(begin, comma, bad));
                    begin = comma < end ? comma + 1 : end;
                }
                ++row;
            });
            break;
        case Kind::CsvLine:
            ScanPieces(path, ',', buffer,
                       [&](const char* begin, const char* end) { store(0, row++, ParseField(begin, end, bad)); });
            break;
        case Kind::Wav: {
            // The header gives the rate; then per frame its time and its two
            // samples, one request each.
            const double step = 1.0 / WavRate(path);
            ReadThrough(
                path, kWavFrameBytes, task.rows, buffer,
                [&](std::size_t i, const unsigned char* at) {
                    store(0, i, static_cast<double>(i) * step + step);
                    store(1, i, Get<int16_t>(at));
                    store(2, i, Get<int16_t>(at + 2));
                },
                static_cast<off_t>(kWavHeader));
            break;
        }
        default:
            if (task.columns > 0) {
                ReadThrough(path, task.recordSize, task.rows, buffer, [&](std::size_t i, const unsigned char* at) {
                    store(0, i, Get<uint16_t>(at));
                    store(1, i, Get<int32_t>(at + 2));
                    store(2, i, Get<int32_t>(at + 6));
                    store(3, i, Get<double>(at + 14));
                });
            } else if (task.recordSize == 8 && task.blocks) {
                // Side-by-side little-endian doubles with blocks: read straight
                // into the staged block, nothing decoded.
                const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0) throw SetupError("cannot open " + path + ": " + std::strerror(errno));
                auto* bytes = reinterpret_cast<unsigned char*>(staged.data());
                std::size_t have = 0;
                while (row < task.rows) {
                    const std::size_t want = std::min<std::size_t>(kBlockCells, task.rows - row) * 8;
                    const ssize_t n = read(fd, bytes + have, want - have);
                    if (n < 0 && errno == EINTR) continue;
                    if (n <= 0) {
                        close(fd);
                        throw CheckFailed(path + " ends before its " + Grouped(task.rows) + " doubles");
                    }
                    have += static_cast<std::size_t>(n);
                    if (have < want) continue;
                    stagedFirst[0] = row;
                    stagedCount[0] = want / 8;
                    row += want / 8;
                    send(0);
                    have = 0;
                }
                close(fd);
            } else if (task.recordSize == 8) {
                ReadThrough(path, 8, task.rows, buffer,
                            [&](std::size_t i, const unsigned char* at) { store(0, i, Get<double>(at)); });
            } else {
                ReadThrough(path, task.recordSize, task.rows, buffer,
                            [&](std::size_t i, const unsigned char* at) { store(0, i, Get<int16_t>(at)); });
            }
            break;
    }
    for (std::size_t k = 0; k < handles.size(); ++k) send(k);
    if (task.blocks) setExtents();
    const double seconds = Seconds(start);

    if (refused > 0) throw CheckFailed(Printf("floor of %s: the host refused %zu requests", task.label.c_str(), refused));
    if (bad) throw CheckFailed("floor of " + task.label + ": a field is not a number");
    CompareResult("floor of " + task.label, host, task.columns, peerValues.data(), task.rows, task.peer.c_str());
    checkedCells_ += peerValues.size();
    return seconds;
}

Timings Bench::RunTask(const Task& task, const std::vector<double>& expected) {
    std::printf("  %s: %s...", task.label.c_str(), task.peer.c_str());
    std::fflush(stdout);
    Timings best;
    std::vector<double> peerValues;
    best.peer = RunPeer(task, expected, peerValues);

    std::printf(" floor...");
    std::fflush(stdout);
    std::vector<unsigned char> buffer(kFloorBuffer);
    best.floor = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.floor = std::min(best.floor, RunFloor(task, peerValues, buffer));

    std::printf(" ZEL...");
    std::fflush(stdout);
    RunZel(task, peerValues, false);  // checked before any run is timed
    best.zel = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.zel = std::min(best.zel, RunZel(task, peerValues, true));
    std::printf(" checked\n");
    return best;
}

// ---- Lines -----------------------------------------------------------------

// The peer's lines (its values file holds them as read, line ends included)
// are checked against what was written.
double Bench::RunLinesPeer(const Task& task, const std::vector<std::string>& expected,
                           std::vector<std::string>& peerLines) {
    const fs::path values = out_ / ("peer-" + task.peerName + ".txt");
    const double best = RunPeerProcess(task, values);
    const std::string text = ReadText(values);
    peerLines.clear();
    peerLines.reserve(expected.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) throw CheckFailed(task.label + ": the peer's last line has no line feed");
        peerLines.emplace_back(text, at, end - at);
        at = end + 1;
    }
    if (peerLines != expected) {
        std::size_t i = 0;
        while (i < peerLines.size() && i < expected.size() && peerLines[i] == expected[i]) ++i;
        throw CheckFailed(Printf("%s: the peer read %zu lines, the file holds %zu; the first difference is line %zu",
                                 task.label.c_str(), peerLines.size(), expected.size(), i + 1));
    }
    return best;
}

// One LREAD call per line into the string variable A. Every call must
// answer its line's length; the check run compares every line's text, every
// run the last line, the position at the end and the call after it.
double Bench::RunLinesZel(const Task& task, const std::vector<std::string>& peerLines, bool timed) {
    const std::unique_ptr<tavrel::Host> host = PrepareHost(task);
    const std::string what = Printf("ZEL %s(%s)%s", task.call.c_str(), task.args.c_str(), timed ? "" : ", check run");
    uint32_t wrong = 0;
    std::size_t firstWrong = 0;
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t i = 0; i < task.rows; ++i) {
        const tavrel::CallResult r = host->Call(task.call, task.args);
        if (r.code != ZEL_RESULT_DONE || r.value != static_cast<double>(peerLines[i].size()) ||
            (!timed && host->Variable('A') != peerLines[i])) {
            if (wrong++ == 0) firstWrong = i;
        }
    }
    const double seconds = Seconds(start);
    if (wrong > 0) {
        throw CheckFailed(Printf("%s: %u of %u lines differ from %s's, the first line %zu", what.c_str(), wrong,
                                 task.rows, task.peer.c_str(), firstWrong + 1));
    }
    double error = -1;
    host->GetNumber(nullptr, "ERROR", error);
    const tavrel::CallResult position = host->Call("GETPOS", "");
    if (error != 0 || host->Variable('A') != peerLines.back() ||
        position.value != static_cast<double>(fs::file_size(out_ / task.file))) {
        throw CheckFailed(Printf("%s: after the last line ERROR is %g and the position %.17g", what.c_str(), error,
                                 position.value));
    }
    if (host->Call(task.call, task.args).code != ZEL_RESULT_FAILED) {
        throw CheckFailed(what + ": a call after the last line succeeded");
    }
    checkedCells_ += timed ? 1 : task.rows;
    host->Call("CLOSEALL", "");
    return seconds;
}

// The floor of lines: the file read once through a reused buffer, each line
// handed to the host's string variable A with one request.
double Bench::RunLinesFloor(const Task& task, const std::vector<std::string>& peerLines,
                            std::vector<unsigned char>& buffer) {
    tavrel::Host host(module_);
    const uint32_t hostHandle = host.handle();
    std::size_t refused = 0;
    std::size_t count = 0;
    const auto start = std::chrono::steady_clock::now();
    ScanPieces((out_ / task.file).string(), '\n', buffer, [&](char* begin, char* end) {
        *end = '\0';  // the line feed, or the free byte after the last piece
        refused += tavrel::Host::Callback(hostHandle, ZEL_CB_SET_STRING_VAR, reinterpret_cast<intptr_t>(begin), 0) != 0;
        ++count;
    });
    const double seconds = Seconds(start);
    if (refused > 0 || count != peerLines.size() || host.Variable('A') != peerLines.back()) {
        throw CheckFailed(Printf("floor of %s: %zu lines, %zu refused", task.label.c_str(), count, refused));
    }
    return seconds;
}

Timings Bench::RunLinesTask(const Task& task, const std::vector<std::string>& expected) {
    std::printf("  %s: %s...", task.label.c_str(), task.peer.c_str());
    std::fflush(stdout);
    Timings best;
    std::vector<std::string> peerLines;
    best.peer = RunLinesPeer(task, expected, peerLines);

    std::printf(" floor...");
    std::fflush(stdout);
    std::vector<unsigned char> buffer(kFloorBuffer);
    best.floor = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.floor = std::min(best.floor, RunLinesFloor(task, peerLines, buffer));

    std::printf(" ZEL...");
    std::fflush(stdout);
    RunLinesZel(task, peerLines, false);  // checked before any run is timed
    best.zel = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.zel = std::min(best.zel, RunLinesZel(task, peerLines, true));
    std::printf(" checked\n");
    return best;
}

// ---- CSV files in and out of the host ----------------------------------------

// One LoadCsv of the file into a fresh host's new worksheet w; answers the
// time of the call alone and checks every cell and name against the peer.
double Bench::RunCsvLoadZel(const Task& task, const CsvTable& peer, bool timed) {
    tavrel::Host host(module_);
    const std::string what = Printf("ZEL tavrel::LoadCsv(%s)%s", task.file.c_str(), timed ? "" : ", check run");
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = tavrel::LoadCsv(host, "w", (out_ / task.file).string(), tavrel::CsvOptions{}, error);
    const double seconds = Seconds(start);
    if (!loaded) throw CheckFailed(what + " failed: " + error);
    CompareTables(what, TableOf(what, *host.FindWorksheet("w"), task.rows), peer, task.peer.c_str());
    checkedCells_ += task.rows * peer.names.size();
    return seconds;
}

// The floor of a load: a worksheet of the table's columns (text columns
// made text), its row count set, then the file read once through a reused
// buffer, split at line feeds and commas (the file has no quoted fields),
// the numbers converted with std::from_chars and stored with Dataset::set,
// the texts with setText.
double Bench::RunCsvLoadFloor(const Task& task, const CsvTable& peer, std::vector<unsigned char>& buffer) {
    tavrel::Host host(module_);
    tavrel::Worksheet& w = host.CreateWorksheet("w", static_cast<int>(peer.names.size()));
    std::vector<tavrel::Dataset*> columns;
    for (int k = 1; k <= w.columnCount(); ++k) {
        if (peer.kinds[static_cast<std::size_t>(k - 1)] == 't') w.setFormat(k, tavrel::kFormatText);
        columns.push_back(&w.column(k)->dataset());
    }
    bool bad = false;
    std::size_t line = 0;
    std::string text;
    const auto start = std::chrono::steady_clock::now();
    w.setRowCount(static_cast<int32_t>(task.rows));
    ScanPieces((out_ / task.file).string(), '\n', buffer, [&](const char* begin, const char* end) {
        if (line++ == 0) return;  // the names
        const std::size_t row = line - 2;
        if (end > begin && end[-1] == '\r') --end;
        bad = bad || row >= task.rows || std::find(begin, end, '"') != end;
        for (std::size_t k = 0; k < columns.size() && !bad; ++k) {
            const char* comma = std::find(begin, end, ',');
            if (comma > begin) {
                if (peer.kinds[k] == 'n') {
                    columns[k]->set(row, ParseField(begin, comma, bad));
                } else {
                    text.assign(begin, comma);
                    columns[k]->setText(row, text);
                }
            }
            begin = comma < end ? comma + 1 : end;
        }
    });
    const double seconds = Seconds(start);
    if (bad || line != task.rows + 1) {
        throw CheckFailed("floor of " + task.label + ": a field is not a number, or the file holds quotes or " +
                          Grouped(line) + " lines, not a header and " + Grouped(task.rows) + " rows");
    }
    for (int k = 1; k <= w.columnCount(); ++k) w.renameColumn(k, peer.names[static_cast<std::size_t>(k - 1)]);
    CompareTables("floor of " + task.label, TableOf("floor of " + task.label, w, task.rows), peer, task.peer.c_str());
    checkedCells_ += task.rows * peer.names.size();
    return seconds;
}

Timings Bench::RunCsvLoadTask(const Task& task) {
    std::printf("  %s: pandas writes the file...", task.label.c_str());
    std::fflush(stdout);
    const fs::path made = out_ / ("made-" + task.peerName + ".f64");
    const ChildResult r = Run({python_, "-s", peers_, "make-" + task.peerName, (out_ / task.file).string(),
                               std::to_string(task.rows), made.string()},
                              PythonEnvironment(), out_, out_ / ("make-" + task.peerName + ".out"));
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        throw SetupError("pandas could not write " + task.file + " (" + DescribeStatus(r.status) + ")");
    }
    const CsvTable expected = ReadTable(made, task.rows);

    std::printf(" %s...", task.peer.c_str());
    std::fflush(stdout);
    Timings best;
    const fs::path values = out_ / ("peer-" + task.peerName + ".f64");
    best.peer = RunPeerProcess(task, values);
    const CsvTable peer = ReadTable(values, task.rows);
    CompareTables(task.label + ": " + task.peer + "'s table", peer, expected, "the frame pandas wrote");

    std::printf(" floor...");
    std::fflush(stdout);
    std::vector<unsigned char> buffer(kFloorBuffer);
    best.floor = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.floor = std::min(best.floor, RunCsvLoadFloor(task, peer, buffer));

    std::printf(" ZEL...");
    std::fflush(stdout);
    RunCsvLoadZel(task, peer, false);  // checked before any run is timed
    best.zel = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) best.zel = std::min(best.zel, RunCsvLoadZel(task, peer, true));
    std::printf(" checked\n");
    return best;
}

// The floor of a save: the header and one std::to_chars text a line,
// through a reused buffer, write(2) into a new file; no temporary file,
// rename or flush to the disk.
double SaveFloor(const fs::path& path, const std::vector<double>& values) {
    std::vector<char> buffer(kSaveBuffer);
    const auto start = std::chrono::steady_clock::now();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw SetupError("cannot create " + path.string() + ": " + std::strerror(errno));
    bool failed = false;
    auto drain = [&](std::size_t used) {
        for (std::size_t done = 0; done < used && !failed;) {
            const ssize_t n = write(fd, buffer.data() + done, used - done);
            if (n < 0 && errno == EINTR) continue;
            failed = n <= 0;
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    };
    std::size_t used = 0;
    buffer[used++] = 'd';
    buffer[used++] = '\n';
    for (double value : values) {
        if (used + 32 > buffer.size()) {
            drain(used);
            used = 0;
        }
        used = static_cast<std::size_t>(std::to_chars(buffer.data() + used, buffer.data() + buffer.size(), value).ptr -
                                        buffer.data());
        buffer[used++] = '\n';
    }
    drain(used);
    failed = close(fd) != 0 || failed;
    const double seconds = Seconds(start);
    if (failed) throw SetupError("cannot write " + path.string());
    return seconds;
}

// SaveCsv of the dataset d of a host (filled once, untimed) against
// DataFrame.to_csv of the same column; every file written is read back and
// checked, the peer's too.
Timings Bench::RunCsvSaveTask(const Task& task, const std::vector<double>& values) {
    std::printf("  %s: %s...", task.label.c_str(), task.peer.c_str());
    std::fflush(stdout);
    Timings best;
    const fs::path peerFile = out_ / ("peer-" + task.peerName + ".csv");
    best.peer = RunPeerProcess(task, peerFile);
    CheckSavedColumn(task.label + ": " + task.peer + "'s file", peerFile, "d", values);
    fs::remove(peerFile);

    std::printf(" floor...");
    std::fflush(stdout);
    const fs::path floorFile = out_ / ("floor-" + task.peerName + ".csv");
    best.floor = std::numeric_limits<double>::infinity();
    for (int rep = 0; rep < reps_; ++rep) {
        best.floor = std::min(best.floor, SaveFloor(floorFile, values));
        CheckSavedColumn("floor of " + task.label, floorFile, "d", values);
    }
    fs::remove(floorFile);

    std::printf(" ZEL...");
    std::fflush(stdout);
    tavrel::Host host(module_);
    tavrel::Dataset& d = host.CreateDataset("d");
    if (!d.resize(static_cast<int32_t>(values.size()))) throw CheckFailed("the host refused " + task.label);
    for (std::size_t i = 0; i < values.size(); ++i) d.set(i, values[i]);
    const fs::path file = out_ / ("zel-" + task.peerName + ".csv");
    best.zel = std::numeric_limits<double>::infinity();
    for (int rep = -1; rep < reps_; ++rep) {  // one check run first
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        const bool saved = tavrel::SaveCsv(d, file.string(), error);
        const double seconds = Seconds(start);
        const std::string what = Printf("ZEL tavrel::SaveCsv(d, %s)%s", file.filename().c_str(),
                                        rep < 0 ? ", check run" : "");
        if (!saved) throw CheckFailed(what + " failed: " + error);
        CheckSavedColumn(what, file, "d", values);
        checkedCells_ += values.size();
        if (rep >= 0) best.zel = std::min(best.zel, seconds);
    }
    fs::remove(file);
    std::printf(" checked\n");
    return best;
}

// Best of reps for a zel script and for a python command, each a whole
// process run in the scratch folder; each must print what it is given.
std::pair<double, double> Bench::WholeProcesses(const std::string& zelScript, const std::string& zelOut,
                                                const std::string& python, const std::string& pythonOut,
                                                const char* what) {
    const fs::path script = out_ / (std::string(what) + ".zel");
    {
        std::ofstream s(script);
        s << zelScript;
        if (!s) throw SetupError("cannot write " + script.string());
    }
    const std::vector<std::string> zelEnv = EnvironmentWith("ZEL_MODULE", module_);
    const std::vector<std::string> pyEnv = PythonEnvironment();
    double zelBest = std::numeric_limits<double>::infinity();
    double pyBest = std::numeric_limits<double>::infinity();
    auto check = [&](const ChildResult& r, const std::string& who, const std::string& expectOut) {
        std::string out = r.out;
        while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
        if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0 || out != expectOut) {
            throw CheckFailed(who + " ended with " + DescribeStatus(r.status) + " and printed \"" + out +
                              "\", expected exit status 0 and \"" + expectOut + "\"");
        }
    };
    // One untimed run of each first: the checks, and the same warm caches for both.
    for (int rep = -1; rep < reps_; ++rep) {
        const ChildResult z = Run({zel_, script.filename().string()}, zelEnv, out_, out_ / (std::string(what) + "-zel.out"));
        check(z, zel_ + " " + script.string(), zelOut);
        const ChildResult p = Run({python_, "-c", python}, pyEnv, out_, out_ / (std::string(what) + "-python.out"));
        check(p, python_ + " -c \"" + python + "\"", pythonOut);
        if (rep >= 0) {
            zelBest = std::min(zelBest, z.seconds);
            pyBest = std::min(pyBest, p.seconds);
        }
    }
    return {zelBest, pyBest};
}

long CurrentRssKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// A memory child's report: its peak resident memory and what the dataset holds.
struct MemoryUse {
    double peak = 0;     // bytes, ru_maxrss
    double before = 0;   // bytes resident before the read
    double storage = 0;  // bytes: cells x (kind + number)
    unsigned long long cells = 0;
    unsigned long long cellBytes = 0;
};

// path: the doubles to read, or the file to save.
MemoryUse MemoryOf(const std::string& mode, const std::string& module, const fs::path& out, const fs::path& path) {
    const ChildResult r = Run({"/proc/self/exe", "--rss-child", mode, module, path.string()},
                              CurrentEnvironment(), out, out / ("rss-" + mode + ".out"));
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        throw CheckFailed("the memory child (" + mode + ") failed (" + DescribeStatus(r.status) + "): " + r.out);
    }
    MemoryUse use;
    long before = -1;
    long peak = -1;
    if (std::sscanf(r.out.c_str(), "cells %llu cell_bytes %llu rss_before_kib %ld maxrss_kib %ld", &use.cells,
                    &use.cellBytes, &before, &peak) != 4 ||
        use.cells != kDoubles) {
        throw CheckFailed("the memory child (" + mode + ") answered \"" + r.out + "\"");
    }
    use.peak = static_cast<double>(peak) * 1024.0;
    use.before = static_cast<double>(before) * 1024.0;
    use.storage = static_cast<double>(use.cells * use.cellBytes);
    return use;
}

void Bench::Memory() {
    const MemoryUse zel = MemoryOf("aread", module_, out_, out_ / "doubles.bin");
    const MemoryUse floor = MemoryOf("floor", module_, out_, out_ / "doubles.bin");
    const double mib = 1024.0 * 1024.0;
    const double allowance = zel.storage + 16 * mib;
    std::printf("\nMemory: one read of %s doubles in a child process of its own (peak: ru_maxrss)\n",
                Grouped(kDoubles).c_str());
    std::printf("  dataset storage             %8.1f MiB   (%s cells x %llu bytes: kind + number)\n",
                zel.storage / mib, Grouped(zel.cells).c_str(), zel.cellBytes);
    std::printf("  allowance: storage + 16 MiB %8.1f MiB\n", allowance / mib);
    std::printf("  peak with ZEL's AREAD       %8.1f MiB   (%.1f MiB before it) -> %s\n", zel.peak / mib,
                zel.before / mib,
                zel.peak <= allowance ? "within the allowance"
                                      : Printf("OVER the allowance by %.1f MiB", (zel.peak - allowance) / mib).c_str());
    std::printf("  peak with the floor's reads %8.1f MiB   (%.1f MiB before them; for comparison)\n", floor.peak / mib,
                floor.before / mib);
}

// The peak of a child that fills a dataset with the 10,000,000 doubles and
// saves it with SaveCsv, against the data and 64 MiB: the save streams, so
// its memory does not grow with the rows.
void Bench::SaveMemory() {
    const fs::path file = out_ / "rss-csvsave.csv";
    const MemoryUse save = MemoryOf("csvsave", module_, out_, file);
    fs::remove(file);
    const double mib = 1024.0 * 1024.0;
    const double allowance = save.storage + 64 * mib;
    std::printf("\nMemory: SaveCsv of %s doubles in a child process of its own (peak: ru_maxrss)\n",
                Grouped(kDoubles).c_str());
    std::printf("  data: dataset storage       %8.1f MiB   (%s cells x %llu bytes: kind + number)\n",
                save.storage / mib, Grouped(save.cells).c_str(), save.cellBytes);
    std::printf("  allowance: data + 64 MiB    %8.1f MiB\n", allowance / mib);
    std::printf("  peak with SaveCsv           %8.1f MiB   (%.1f MiB before it) -> %s\n", save.peak / mib,
                save.before / mib,
                save.peak <= allowance ? "within the allowance"
                                       : Printf("OVER the allowance by %.1f MiB", (save.peak - allowance) / mib).c_str());
}

int Bench::Main() {
    CheckSetup();
    std::error_code ec;
    fs::create_directories(out_, ec);
    if (ec) throw SetupError("cannot make " + out_.string() + ": " + ec.message());
    out_ = fs::absolute(out_);

    // Kept loaded for the whole run, as the host keeps it for a session:
    // each repetition's fresh Host finds the module as the last one left it.
    std::unique_ptr<void, int (*)(void*)> pin(dlopen(module_.c_str(), RTLD_NOW | RTLD_LOCAL), dlclose);
    if (!pin) {
        const char* error = dlerror();
        throw SetupError("cannot load the module " + module_ + ": " + (error != nullptr ? error : "?"));
    }

    std::printf("zel_compare: ZEL through the stand-in host, against numpy, pandas and python; best of %d each\n",
                reps_);
    std::printf("  module  %s\n  runner  %s\n  peer    %s\n  files   %s (read from the page cache)\n",
                module_.c_str(), zel_.c_str(), PeerVersion().c_str(), out_.c_str());

    const std::vector<Task> tasks = {
        {"AREAD " + Grouped(kDoubles) + " doubles", "doubles", "doubles.bin", kDoubles, 0, 8,
         {{"BYTEORDER", 0}, {"NBYTES", 8}, {"SKIP", 0}, {"SIGNED", 0}}, "AREAD",
         "d,1," + std::to_string(kDoubles) + ",1", Kind::Binary, "numpy", true},
        {"AREAD " + Grouped(kShorts) + " int16, 2-byte gaps", "int16gap", "int16gap.bin", kShorts, 0, 4,
         {{"BYTEORDER", 0}, {"NBYTES", 2}, {"SKIP", 2}, {"SIGNED", 1}}, "AREAD",
         "d,1," + std::to_string(kShorts) + ",0", Kind::Binary, "numpy", true},
        {"READRECORD " + Grouped(kRecords) + " x 22 bytes", "records", "records.bin", kRecords, 4, kRecordSize,
         {{"BYTEORDER", 0}, {"SKIP", 0}}, "READRECORD", "w," + std::to_string(kRecords) + "," + kTemplate,
         Kind::Binary, "numpy", true},
    };
    using Maker = std::vector<double> (*)(const fs::path&);
    const Maker makers[] = {MakeDoubles, MakeShortsWithGaps, MakeRecords};

    // The rows of the table, in the order they ran.
    std::vector<std::pair<Task, Timings>> rows;
    if (std::any_of(tasks.begin(), tasks.end(), [&](const Task& t) { return Selected(t.peerName); })) {
        std::printf("\nIn the host (the read request alone; numpy: read and convert to float64):\n");
    }
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        if (!Selected(tasks[t].peerName)) continue;
        std::vector<double> expected = makers[t](out_ / tasks[t].file);
        rows.emplace_back(tasks[t], RunTask(tasks[t], expected));
        rows.emplace_back(PerCell(tasks[t]), RunTask(PerCell(tasks[t]), expected));
    }

    // Text: one call per line where a script makes one, against the peer a
    // python user would take.
    const std::vector<Task> textTasks = {
        {"LINEROW " + Grouped(kCsvRows) + " CSV rows (CRLF)", "csvrows", "rows.csv", kCsvRows,
         static_cast<int>(kCsvColumns), 0, {{"NLINEMODE", 0}, {"LISTSEP", 44}}, "LINEROW", "w", Kind::CsvRows,
         "numpy.loadtxt"},
        {"READARRAY " + Grouped(kLineNumbers) + " numbers, one line", "csvline", "line.csv", kLineNumbers, 0, 0,
         {{"NLINEMODE", 0}, {"LISTSEP", 44}}, "READARRAY", "d,1," + std::to_string(kLineNumbers), Kind::CsvLine,
         "pandas.read_csv"},
        {"LREAD " + Grouped(kTextLines) + " lines", "lines", "lines.txt", kTextLines, 0, 0, {{"NLINEMODE", 1}},
         "LREAD", "A", Kind::Lines, "readlines"},
    };
    if (std::any_of(textTasks.begin(), textTasks.end(), [&](const Task& t) { return Selected(t.peerName); })) {
        std::printf("\nText in the host (ZEL: every LINEROW or LREAD call of the file, or the one READARRAY;\n"
                    "the peers: read and convert to float64 arrays, or to a list of str):\n");
    }
    if (Selected(textTasks[0].peerName)) {
        rows.emplace_back(textTasks[0], RunTask(textTasks[0], MakeCsvRows(out_ / textTasks[0].file)));
    }
    if (Selected(textTasks[1].peerName)) {
        rows.emplace_back(textTasks[1], RunTask(textTasks[1], MakeCsvLine(out_ / textTasks[1].file)));
    }
    if (Selected(textTasks[2].peerName)) {
        rows.emplace_back(textTasks[2], RunLinesTask(textTasks[2], MakeLines(out_ / textTasks[2].file)));
    }

    // An import: one WAV call for the whole file, against scipy's reader and
    // the three float64 columns built from what it answers.
    const Task wavTask = {"WAV 60 s, 44.1 kHz 16-bit stereo", "wav", "sound.wav", kWavFrames, 3,
                          kWavFrameBytes, {}, "WAV", "w", Kind::Wav, "wavfile.read", true};
    if (Selected(wavTask.peerName)) {
        std::printf("\nAn import in the host (ZEL: the one WAV call into a worksheet of 2 columns, which ends with 3;\n"
                    "scipy: scipy.io.wavfile.read, then the time, left and right columns as float64):\n");
        const std::vector<double> expected = MakeWav(out_ / wavTask.file);
        rows.emplace_back(wavTask, RunTask(wavTask, expected));
        rows.emplace_back(PerCell(wavTask), RunTask(PerCell(wavTask), expected));
    }

    // CSV files in and out of the host itself: LoadCsv of a file pandas
    // wrote, SaveCsv of the doubles.
    const Task loadTask = {"LoadCsv " + Grouped(kCsvLoadRows) + " rows x 5 columns", "csvload", "table.csv",
                           kCsvLoadRows, 5, 0, {}, "LoadCsv", "", Kind::Binary, "pandas.read_csv"};
    const Task saveTask = {"SaveCsv " + Grouped(kDoubles) + " doubles", "csvsave", "doubles.bin", kDoubles, 0, 8,
                           {}, "SaveCsv", "", Kind::Binary, "DataFrame.to_csv"};
    if (Selected(loadTask.peerName) || Selected(saveTask.peerName)) {
        std::printf("\nCSV files in the host (ZEL: the one tavrel::LoadCsv or SaveCsv call; the peers: read_csv,\n"
                    "or to_csv of a frame made beforehand):\n");
    }
    if (Selected(loadTask.peerName)) rows.emplace_back(loadTask, RunCsvLoadTask(loadTask));
    if (Selected(saveTask.peerName)) {
        const std::vector<double> values =
            Selected("doubles") ? ReadDoubles(out_ / "doubles.bin", kDoubles) : MakeDoubles(out_ / "doubles.bin");
        rows.emplace_back(saveTask, RunCsvSaveTask(saveTask, values));
    }

    double zelWhole = 0, pyWhole = 0, zelStart = 0, pyStart = 0, zelWav = 0, pyWav = 0;
    const bool whole = Selected("whole");
    if (whole) {
        std::printf("\nWhole processes (start to end; neither side uses the data, both print the count):\n");
        // The doubles' file is made here when their row did not run.
        if (!Selected("doubles") && !Selected("csvsave")) MakeDoubles(out_ / "doubles.bin");
        std::printf("  reading the doubles...");
        std::fflush(stdout);
        const std::string count = std::to_string(kDoubles);
        std::tie(zelWhole, pyWhole) = WholeProcesses(
            "# Reads the benchmark's doubles: the whole-process task of zel_compare.\n"
            "dataset d\n"
            "zel.nbytes = 8\n"
            "f = zel.open(doubles.bin, 0)\n"
            "n = zel.aread(d, 1, " + count + ", 1)\n"
            "print n\n",
            count, "import numpy; a = numpy.fromfile('doubles.bin', dtype='<f8'); print(a.size)", count,
            "whole-read");
        std::printf(" the WAV import...");
        std::fflush(stdout);
        if (!Selected("wav")) MakeWav(out_ / "sound.wav");
        std::tie(zelWav, pyWav) = WholeProcesses(
            "# Imports the benchmark's sound: the whole-process task of zel_compare.\n"
            "worksheet w 2\n"
            "f = zel.open(sound.wav, 0)\n"
            "zel.wav(w)\n"
            "print zel.error\n",
            "0",
            "import numpy; from scipy.io import wavfile; r, a = wavfile.read('sound.wav'); "
            "s = 1.0 / r; t = numpy.arange(len(a), dtype=numpy.float64) * s + s; "
            "left = a[:, 0].astype(numpy.float64); right = a[:, 1].astype(numpy.float64); print(0)",
            "0", "whole-wav");
        std::printf(" start-up alone...");
        std::fflush(stdout);
        std::tie(zelStart, pyStart) = WholeProcesses("# Start-up only: one dataset, no file.\ndataset d\nprint 0\n", "0",
                                                     "import numpy; print(0)", "0", "whole-start");
        std::printf(" checked\n");
    }

    const char* rule =
        "----------------------------------------------------------------------------------------------------------------------";
    std::printf("\n%-44s %-16s %11s %11s %11s %9s %10s\n%s\n", "task", "peer", "ZEL best", "peer best", "floor",
                "peer/ZEL", "ZEL/floor", rule);
    auto ms = [](double s) { return Printf("%8.1f ms", s * 1e3); };
    for (const auto& [task, b] : rows) {
        std::printf("%-44s %-16s %11s %11s %11s %8.2fx %9.2fx\n", task.label.c_str(), task.peer.c_str(),
                    ms(b.zel).c_str(), ms(b.peer).c_str(), ms(b.floor).c_str(), b.peer / b.zel, b.zel / b.floor);
    }
    if (whole) {
        std::printf("%-44s %-16s %11s %11s %11s %8.2fx %10s\n", "whole process: read the 10M doubles", "python, numpy",
                    ms(zelWhole).c_str(), ms(pyWhole).c_str(), "-", pyWhole / zelWhole, "-");
        std::printf("%-44s %-16s %11s %11s %11s %8.2fx %10s\n", "whole process: import the WAV file",
                    "python, scipy", ms(zelWav).c_str(), ms(pyWav).c_str(), "-", pyWav / zelWav, "-");
        std::printf("%-44s %-16s %11s %11s %11s %8.2fx %10s\n", "whole process: start-up alone", "python, numpy",
                    ms(zelStart).c_str(), ms(pyStart).c_str(), "-", pyStart / zelStart, "-");
    }
    std::printf("%s\n", rule);
    std::printf("peer/ZEL above 1: ZEL is faster than the peer. ZEL/floor: how far ZEL is above the floor (1 = at it).\n");

    // The goals of the text readers and of the import: reported, not failed.
    struct Goal {
        const char* task;  // its name for peers.py
        const char* what;
        double atLeast;
    };
    const Goal goals[] = {{"doubles", "AREAD of the doubles within 1.5x of numpy.fromfile", 1 / 1.5},
                          {"records", "READRECORD within 1.5x of numpy's structured read", 1 / 1.5},
                          {"csvrows", "LINEROW at least as fast as numpy.loadtxt", 1.0},
                          {"csvline", "READARRAY at least 3 times as fast as pandas.read_csv", 3.0},
                          {"lines", "LREAD at least half as fast as readlines", 0.5},
                          {"wav", "WAV within 2x of scipy and its three columns", 0.5},
                          {"csvload", "LoadCsv at least as fast as pandas.read_csv", 1.0},
                          {"csvsave", "SaveCsv at least twice as fast as DataFrame.to_csv", 2.0}};
    bool heading = false;
    for (const Goal& goal : goals) {
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const auto& r) { return r.first.peerName == goal.task; });
        if (row == rows.end()) continue;
        if (!heading) std::printf("\nGoals (peer/ZEL):\n");
        heading = true;
        const double ratio = row->second.peer / row->second.zel;
        std::printf("  %-56s %6.2fx, goal %.2fx: %s\n", goal.what, ratio, goal.atLeast,
                    ratio >= goal.atLeast ? "met" : "NOT met");
    }
    if (whole) {
        // Whole processes, start included: ZEL no slower than python.
        for (const auto& [what, ratio] : {std::pair{"the doubles' script no slower than numpy's", pyWhole / zelWhole},
                                          std::pair{"the WAV script no slower than scipy's", pyWav / zelWav}}) {
            std::printf("  %-56s %6.2fx, goal 1.00x: %s\n", what, ratio, ratio >= 1.0 ? "met" : "NOT met");
        }
    }

    if (Selected("memory")) {
        if (!Selected("doubles") && !whole && !Selected("csvsave")) MakeDoubles(out_ / "doubles.bin");
        Memory();
    }
    if (Selected(saveTask.peerName)) SaveMemory();
    std::printf("\nAll checks passed: %s cells and lines of ZEL and of the floor matched the peers' bit for bit.\n",
                Grouped(checkedCells_).c_str());
    return 0;
}

// The memory child runs the reader as a child of its own and reports that
// one's ru_maxrss. A child spawned straight from the benchmark would not do:
// Linux counts the resident peak of the spawning process (hundreds of MiB
// here) into the ru_maxrss of a vfork or fork child, across its exec.
int RssChild(const std::string& mode, const std::string& module, const std::string& path) {
    const fs::path folder = fs::absolute(path).parent_path();
    const ChildResult r = Run({"/proc/self/exe", "--rss-run", mode, fs::absolute(module).string(),
                               fs::absolute(path).string()}, CurrentEnvironment(), folder,
                              folder / ("rss-" + mode + "-run.out"));
    std::string out = r.out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        std::printf("%s (%s)\n", out.c_str(), DescribeStatus(r.status).c_str());
        return 1;
    }
    std::printf("%s maxrss_kib %ld\n", out.c_str(), r.usage.ru_maxrss);  // KiB on Linux
    return 0;
}

// A memory child: one read of the doubles into a fresh host, nothing else,
// with ZEL's AREAD ("aread") or the way the floor reads ("floor"), or the
// doubles made in a dataset and saved to path with SaveCsv ("csvsave").
// Prints what the dataset holds.
int RssRun(const std::string& mode, const std::string& module, const std::string& path) {
    tavrel::Host host(module);
    tavrel::Dataset& d = host.CreateDataset("d");
    long before = -1;
    if (mode == "aread") {
        host.SetNumber(nullptr, "NBYTES", 8);
        host.SetNumber(nullptr, "SKIP", 0);
        host.SetNumber(nullptr, "BYTEORDER", 0);
        if (host.Call("OPEN", path + ",0").code != ZEL_RESULT_DONE) {
            std::printf("cannot open %s\n", path.c_str());
            return 1;
        }
        before = CurrentRssKiB();
        const tavrel::CallResult r = host.Call("AREAD", "d,1," + std::to_string(kDoubles) + ",1");
        if (r.code != ZEL_RESULT_DONE || r.value != kDoubles) {
            std::printf("AREAD answered code %d, value %g\n", r.code, r.value);
            return 1;
        }
    } else if (mode == "floor") {
        std::vector<unsigned char> buffer(kFloorBuffer);
        before = CurrentRssKiB();
        ZelRange range{0, static_cast<int32_t>(kDoubles), 0};
        int refused = tavrel::Host::Callback(host.handle(), ZEL_CB_SET_RANGE, static_cast<intptr_t>(d.handle()),
                                             reinterpret_cast<intptr_t>(&range)) != 0;
        ReadThrough(path, 8, kDoubles, buffer, [&](std::size_t i, const unsigned char* at) {
            ZelIndexedValue cell{static_cast<int32_t>(i), 0, Get<double>(at)};
            refused += tavrel::Host::Callback(host.handle(), ZEL_CB_VALUE_SET, static_cast<intptr_t>(d.handle()),
                                              reinterpret_cast<intptr_t>(&cell)) != 0;
        });
        if (refused != 0) {
            std::printf("the host refused %d requests\n", refused);
            return 1;
        }
    } else if (mode == "csvsave") {
        // The doubles of doubles.bin, made here: the child holds nothing else.
        if (!d.resize(static_cast<int32_t>(kDoubles))) {
            std::printf("the host refused %u cells\n", kDoubles);
            return 1;
        }
        std::mt19937_64 rng(kDoublesSeed);
        for (std::size_t i = 0; i < kDoubles; ++i) d.set(i, RandomDouble(rng));
        before = CurrentRssKiB();
        std::string error;
        if (!tavrel::SaveCsv(d, path, error)) {
            std::printf("SaveCsv failed: %s\n", error.c_str());
            return 1;
        }
    } else {
        std::printf("no memory child %s\n", mode.c_str());
        return 1;
    }
    // What the host holds for each cell: its kind and its number.
    std::printf("cells %zu cell_bytes %zu rss_before_kib %ld\n", d.size(),
                sizeof(tavrel::CellKind) + sizeof(double), before);
    return 0;
}

// The parts --only may name.
constexpr std::string_view kParts[] = {"doubles", "int16gap", "records", "csvrows", "csvline", "lines",
                                       "wav",     "csvload",  "csvsave", "whole",   "memory"};

void Usage() {
    std::fprintf(stderr,
                 "usage: zel_compare --out DIR [--module LIBZEL] [--zel ZEL] [--python PYTHON]\n"
                 "                   [--peers PEERS.py] [--reps N] [--only NAME,...]\n"
                 "--only runs only the parts named: doubles, int16gap, records, csvrows, csvline, lines,\n"
                 "wav, csvload, csvsave, whole, memory.\n"
                 "Benchmarks ZEL through the stand-in host against numpy; see the README's Benchmarks.\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    try {
        if (argc == 5 && std::string_view(argv[1]) == "--rss-child") return RssChild(argv[2], argv[3], argv[4]);
        if (argc == 5 && std::string_view(argv[1]) == "--rss-run") return RssRun(argv[2], argv[3], argv[4]);

        std::string out;
        std::string module = tavrel::Host::DefaultModulePath();
        const fs::path self = fs::canonical("/proc/self/exe");
        std::string zel = (self.parent_path() / "zel").string();
        std::string python = "/usr/bin/python3";
        std::string peers = (fs::path(__FILE__).parent_path() / "peers.py").string();
        int reps = 5;
        std::vector<std::string> only;
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (arg == "--help" || arg == "-h") {
                Usage();
                return 0;
            }
            if (i + 1 >= argc) {
                Usage();
                return 2;
            }
            const std::string value = argv[++i];
            if (arg == "--out") out = value;
            else if (arg == "--module") module = value;
            else if (arg == "--zel") zel = value;
            else if (arg == "--python") python = value;
            else if (arg == "--peers") peers = value;
            else if (arg == "--reps") reps = std::atoi(value.c_str());
            else if (arg == "--only") {
                for (std::size_t at = 0; at <= value.size();) {
                    const std::size_t comma = std::min(value.find(',', at), value.size());
                    const std::string name = value.substr(at, comma - at);
                    if (std::find(std::begin(kParts), std::end(kParts), name) == std::end(kParts)) {
                        std::fprintf(stderr, "zel_compare: no part \"%s\" to run\n", name.c_str());
                        Usage();
                        return 2;
                    }
                    only.push_back(name);
                    at = comma + 1;
                }
            }
            else {
                Usage();
                return 2;
            }
        }
        if (out.empty() || reps < 1) {
            Usage();
            return 2;
        }
        if (module.empty()) throw SetupError("no module: give --module PATH or set ZEL_MODULE");
        // Children run in the scratch folder: every path is made absolute.
        module = fs::absolute(module).string();
        zel = fs::absolute(zel).string();
        peers = fs::absolute(peers).string();
        return Bench(out, module, zel, python, peers, reps, std::move(only)).Main();
    } catch (const CheckFailed& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "\nzel_compare: CHECK FAILED: %s\n", e.what());
        return 1;
    } catch (const SetupError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "\nzel_compare: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "\nzel_compare: %s\n", e.what());
        return 2;
    }
}
