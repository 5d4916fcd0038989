#include "import/MoWksBlock.h"

#include <limits>
#include <string>

#include "data/MoTavrelWks.h"
#include "files/MyCFile.h"
#include "frame/MoDLL.h"
#include "host/HostServices.h"
#include "platform/File.h"
#include "platform/Pemrix9.h"

namespace zel {
namespace {

// The string variable that receives the rest of a line that is not numeric.
constexpr char kRestVariable = 'Z';

// Reads the next line of file, without its line feed and a carriage return
// before it; false at the end of the file.
bool ReadLine(platform::File& file, std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        const std::span<const uint8_t> bytes = file.Peek();
        if (bytes.empty()) break;
        any = true;
        size_t n = 0;
        while (n < bytes.size() && bytes[n] != '\n') ++n;
        line.append(reinterpret_cast<const char*>(bytes.data()), n);
        if (n < bytes.size()) {
            file.Skip(static_cast<uint32_t>(n + 1));
            break;
        }
        file.Skip(static_cast<uint32_t>(n));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

// Where the scan of a line stops: the first byte that cannot be part of a
// number, a blank or a separator; the line's length when there is none.
// Separators become blanks.
size_t ScanLine(std::string& line, char separator) {
    for (size_t i = 0; i < line.size(); ++i) {
        char& c = line[i];
        if (c == separator) c = ' ';
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c == 'E' || c == '-' || c == '.' || (c >= '0' && c <= '9')) continue;
        return i;
    }
    return line.size();
}

}  // namespace

MoWksBlock::MoWksBlock(IoContext& io)
    : MoHighLev(io),
      worksheet_(AddArgument<MoString>(StringRole::WorksheetName)),
      colBegin_(AddArgument<MoInt>()),
      colEnd_(AddArgument<MoInt>()),
      rowBegin_(AddArgument<MoInt>()),
      rowEnd_(AddArgument<MoInt>()) {}

int32_t MoWksBlock::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoHighLev::ParseArguments(argText, owner); r != 0) return r;
    int32_t refusal = 0;
    if (!worksheet_.given()) {
        refusal = io_.Report(Err::MissingTransferArgument);
    } else if (colBegin_.value() < 1 || rowBegin_.value() < 1) {
        // Columns and rows are counted from 1: a cell before them would be
        // lost. A rowend below 0 is a limit no row reaches, and reads nothing.
        refusal = io_.Report(Err::OutOfRange);
    }
    // The mark must not outlive a call that never runs.
    if (refusal != 0) AfterExecute(owner);
    return refusal;
}

int32_t MoWksBlock::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = 0.0;
    MyCFile* current = io_.CurrentFile();
    Program p(*this, owner);
    // Without a current file the nested GETPOS fails, and its failure is the
    // answer.
    if (current == nullptr) {
        p.GetPos();
        if (p) p.Hold(io_.Report(Err::BadFileNumber));
        return p.failure();
    }
    MoTavrelWks worksheet(worksheet_, io_);
    // Nothing is read for a worksheet that is not there.
    if (!worksheet.IsAttached()) return io_.Report(Err::NoSuchData);

    // The lines come through a second object on the same file.
    platform::File text;
    platform::FileException error;
    if (!text.Open(current->GetFilePath(), {platform::Access::Read, platform::Share::DenyNone, false}, &error)) {
        return io_.Report(Err::OpenFailed, error);
    }
    const double start = p.GetPos();
    if (!p) return p.failure();
    auto moveCurrentFile = [&]() -> int32_t {
        uint64_t position = 0;
        try {
            position = text.GetPosition();
        } catch (const platform::FileException& e) {
            return io_.Report(Err::PositionFailed, e);
        }
        p.SetPos(static_cast<int32_t>(position));
        return p.failure();
    };

    const char separator = static_cast<char>(io_.ListSep().value());
    const int32_t first = rowBegin_.value() - 1;
    const int32_t limit = rowEnd_.value() == 0 ? std::numeric_limits<int32_t>::max() : rowEnd_.value();
    std::string line;
    std::string token;
    int32_t r = first;
    try {
        text.Seek(static_cast<int64_t>(start), platform::SeekFrom::Begin);
        while (r < limit) {
            if (!ReadLine(text, line)) {
                if (int32_t m = moveCurrentFile(); m != 0) return m;
                *result = r - first;
                const int32_t code = io_.Report(Err::BlockEnd);
                return io_.NewActions() ? code : 0;
            }
            const size_t stop = ScanLine(line, separator);
            bool numeric = stop == line.size();
            size_t pos = 0;
            for (int32_t c = colBegin_.value(); numeric && c <= colEnd_.value() && pos < stop; ++c) {
                pos = pemrix::NextToken(std::string_view(line).substr(0, stop), pos, token);
                if (token.empty()) break;
                const std::optional<double> value = pemrix::ParseNumber(token);
                if (!value) {
                    numeric = false;
                    break;
                }
                worksheet.SetNumberCell(c, r, *value);
            }
            if (!numeric) {
                if (int32_t m = moveCurrentFile(); m != 0) return m;
                const std::string rest = stop < line.size() ? line.substr(stop) : std::string();
                host::SetStringVariable(kRestVariable, rest);
                *result = r - first;
                io_.Report(Err::NotNumeric);
                return 0;
            }
            ++r;
        }
    } catch (const platform::FileException& e) {
        return io_.Report(Err::ReadFailed, e);
    }
    if (int32_t m = moveCurrentFile(); m != 0) return m;
    *result = r - first;
    return 0;
}

}  // namespace zel
