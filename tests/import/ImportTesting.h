// Sample files for the importers, made byte by byte from the layouts of
// their formats: WAV sound files, SigmaPlot worksheets for Windows and DOS;
// and what an import left in a worksheet, as one text.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "support/Printing.h"

namespace zeltest {

// value in width bytes, least significant first.
inline std::string LeBytes(uint64_t value, int width) {
    std::string s;
    for (int i = 0; i < width; ++i) s.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return s;
}

// The 80-bit extended image of a double (explicit integer bit).
inline std::string Extended(double value) {
    if (value == 0.0) return std::string(10, '\0');
    const auto bits = std::bit_cast<uint64_t>(value);
    const uint64_t sign = bits >> 63;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023 + 16383;
    const uint64_t significand = (uint64_t{1} << 63) | ((bits & ((uint64_t{1} << 52) - 1)) << 11);
    return LeBytes(significand, 8) + LeBytes((sign << 15) | static_cast<uint64_t>(exponent), 2);
}

inline std::string Double(double value) { return LeBytes(std::bit_cast<uint64_t>(value), 8); }

// The image READ takes for an integer field of width bytes under BYTEORDER
// order: 0 little-endian, 1 16-bit fields big-endian, 2 every field
// big-endian.
inline std::string Field(uint64_t value, int width, int order) {
    std::string s = LeBytes(value, width);
    if (order == 2 || (order == 1 && width == 2)) s.assign(s.rbegin(), s.rend());
    return s;
}

// A chunk of a RIFF file: its id and its content (a pad byte follows an
// odd size).
struct RiffChunk {
    std::string id;
    std::string content;
};

inline std::string Chunk(const RiffChunk& chunk) {
    std::string s = chunk.id + LeBytes(chunk.content.size(), 4) + chunk.content;
    if (chunk.content.size() % 2 == 1) s.push_back('\0');
    return s;
}

constexpr int kWavPcm = 1;
constexpr int kWavFloat = 3;
constexpr int kWavExtensible = 0xFFFE;

struct WavSpec {
    int channels = 1;
    uint32_t rate = 8000;
    int bits = 16;
    std::vector<double> samples{};  // interleaved frames
    int formatExtra = 0;            // bytes of the format chunk beyond 16 (or 40)
    bool fact = false;              // a fact chunk before the data
    int formatTag = kWavPcm;
    int subFormat = kWavPcm;        // of the extensible format
    std::vector<RiffChunk> chunks{};  // between the format and the data
};

// A sample's image: integers little-endian in bits / 8 bytes, floats of the
// float format (or sub-format) as IEEE singles or doubles.
inline std::string WavSampleImage(const WavSpec& spec, double value) {
    const int format = spec.formatTag == kWavExtensible ? spec.subFormat : spec.formatTag;
    if (format == kWavFloat && spec.bits == 32) return LeBytes(std::bit_cast<uint32_t>(static_cast<float>(value)), 4);
    if (format == kWavFloat && spec.bits == 64) return Double(value);
    return LeBytes(static_cast<uint64_t>(static_cast<int64_t>(value)), spec.bits / 8);
}

inline std::string MakeWav(const WavSpec& spec) {
    const int bytes = spec.bits / 8;
    std::string data;
    for (double s : spec.samples) data += WavSampleImage(spec, s);
    std::string format = LeBytes(static_cast<uint64_t>(spec.formatTag), 2) + LeBytes(spec.channels, 2) +
                         LeBytes(spec.rate, 4) + LeBytes(spec.rate * spec.channels * bytes, 4) +
                         LeBytes(spec.channels * bytes, 2) + LeBytes(spec.bits, 2);
    if (spec.formatTag == kWavExtensible) {
        // Extension size, valid bits, channel mask, the sub-format GUID.
        format += LeBytes(22, 2) + LeBytes(spec.bits, 2) + LeBytes(0, 4) + LeBytes(spec.subFormat, 4) +
                  std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    format += std::string(static_cast<size_t>(spec.formatExtra), '\0');
    std::string body = "WAVE" + Chunk({"fmt ", format});
    if (spec.fact) body += Chunk({"fact", LeBytes(spec.samples.size(), 4)});
    for (const RiffChunk& chunk : spec.chunks) body += Chunk(chunk);
    body += "data" + LeBytes(data.size(), 4) + data;
    return "RIFF" + LeBytes(body.size(), 4) + body;
}

// A SigmaPlot Windows worksheet. layout 'A': the marker text at 16; 'B':
// at 32, base offset at 50; 'C': neither, base offset at 80. The header and
// the first column record's fields are in byte order order (BYTEORDER's
// numbers); the cells and everything after them little-endian.
struct SigmaColumn {
    int32_t index = 0;
    std::vector<double> values;
    std::vector<bool> numbers;  // the tag of each cell; empty: all numbers
    std::string label;          // a name record when not empty
};

inline std::string MakeSigmaWin(char layout, int32_t lastIndex, const std::vector<SigmaColumn>& columns,
                                int order = 0) {
    const std::string marker = std::string("JSDataWorksheet") + '\0';
    const std::string other = std::string("Other") + '\0';
    std::string file(128, '\0');
    auto put = [&file](size_t at, const std::string& bytes) { file.replace(at, bytes.size(), bytes); };
    const uint32_t base = layout == 'A' ? 0 : 128;
    put(16, layout == 'A' ? marker : other);
    if (layout != 'A') {
        put(32, layout == 'B' ? marker : other);
        put(layout == 'B' ? 50 : 80, Field(base, 4, order));
    }
    file.resize(base + 44);
    file += Field(static_cast<uint32_t>(lastIndex), 2, order) + LeBytes(0, 2);
    for (const SigmaColumn& column : columns) {
        const int recordOrder = &column == &columns.front() ? order : 0;
        std::string record = '\x01' + std::string(19, '\0') +
                             Field(static_cast<uint32_t>(column.index), 4, recordOrder) + std::string(4, '\0') +
                             Field(column.values.size() * 16, 4, recordOrder);
        for (size_t k = 0; k < column.values.size(); ++k) {
            const bool number = column.numbers.empty() || column.numbers[k];
            record += Extended(column.values[k]) + std::string(5, '\0') + std::string(1, number ? '\x11' : '\x00');
        }
        file += record;
    }
    for (const SigmaColumn& column : columns) {
        if (column.label.empty()) continue;
        std::string record(56, '\0');
        record[0] = '\x02';
        record.replace(24, column.label.size() + 1, column.label + '\0');
        record.replace(48, 2, LeBytes(static_cast<uint32_t>(column.index), 2));
        file += record;
    }
    return file;
}

// A SigmaPlot DOS worksheet: a first byte 26 (which is skipped when
// firstByteMarker), the offset of the second marker, then the blocks. Every
// field in byte order order (BYTEORDER's numbers; 2 takes the doubles
// big-endian too), each value followed by skip bytes.
inline std::string MakeSigmaDos(const std::vector<SigmaColumn>& columns, bool firstByteMarker = false,
                                int order = 0, int skip = 0) {
    std::string file = firstByteMarker ? std::string(1, '\x1A') : std::string("SigmaPlot");
    file += "head\x1A" + std::string(6, '\0');  // the first marker, six bytes, then the offset q
    const size_t q = file.size() + 4 + 3;      // of "xx" after the offset and "gap"
    file += Field(q, 4, order) + "gapxx\x1A" + std::string(128, '\0');  // the second marker
    for (const SigmaColumn& column : columns) {
        std::string block = Field(static_cast<uint32_t>(column.index), 4, order) + std::string(10, '\0') +
                            Field(column.values.size(), 2, order);
        for (double v : column.values) {
            std::string image = Double(v);
            if (order == 2) image.assign(image.rbegin(), image.rend());
            block += image + std::string(static_cast<size_t>(skip), '\xEE');
        }
        // N: the next block starts N + 6 bytes after this one.
        const uint32_t n = static_cast<uint32_t>(block.size() + 4 - 6);
        file += Field(n, 4, order) + block;
    }
    file += Field(0, 4, order);
    return file;
}

// The columns of a worksheet as one text: a name other than the default one
// as "name=", a label as "[label]", then the cells separated by blanks
// (numbers in their shortest text, texts in quotes, empty cells as "-");
// columns separated by "|".
inline std::string ColumnsOf(const tavrel::Worksheet& w) {
    std::string text;
    for (int k = 1; k <= w.columnCount(); ++k) {
        const tavrel::Column& column = *w.column(k);
        if (k > 1) text += "|";
        if (column.name() != tavrel::DefaultColumnName(k)) text += column.name() + "=";
        if (!column.label().empty()) text += "[" + column.label() + "]";
        const tavrel::Dataset& d = column.dataset();
        for (int32_t n = 0; n < d.upper(); ++n) {
            const auto i = static_cast<size_t>(n);
            const std::optional<double> v = d.number(i);
            const bool isText = d.kind(i) == tavrel::CellKind::Text;
            text += (i > 0 ? " " : "") + (v ? NumberText(*v) : isText ? "'" + d.text(i) + "'" : std::string("-"));
        }
    }
    return text;
}

}  // namespace zeltest
