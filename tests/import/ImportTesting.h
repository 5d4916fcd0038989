// Sample files for the importers, made byte by byte from the layouts of
// their formats: WAV sound files, SigmaPlot worksheets for Windows and DOS.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const uint64_t sign = bits >> 63;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023 + 16383;
    const uint64_t significand = (uint64_t{1} << 63) | ((bits & ((uint64_t{1} << 52) - 1)) << 11);
    return LeBytes(significand, 8) + LeBytes((sign << 15) | static_cast<uint64_t>(exponent), 2);
}

inline std::string Double(double value) {
    std::string s(8, '\0');
    std::memcpy(s.data(), &value, 8);
    return s;
}

struct WavSpec {
    int channels = 1;
    uint32_t rate = 8000;
    int bits = 16;
    std::vector<int32_t> samples;  // interleaved frames
    int formatExtra = 0;           // bytes of the format chunk beyond 16
    bool fact = false;             // a fact chunk before the data
    int formatTag = 1;
    std::string otherChunk;        // a chunk id between the format and the data
};

inline std::string MakeWav(const WavSpec& spec) {
    const int bytes = spec.bits / 8;
    std::string data;
    for (int32_t s : spec.samples) data += LeBytes(static_cast<uint64_t>(static_cast<uint32_t>(s)), bytes);
    std::string format = LeBytes(static_cast<uint64_t>(spec.formatTag), 2) + LeBytes(spec.channels, 2) +
                         LeBytes(spec.rate, 4) + LeBytes(spec.rate * spec.channels * bytes, 4) +
                         LeBytes(spec.channels * bytes, 2) + LeBytes(spec.bits, 2) +
                         std::string(static_cast<size_t>(spec.formatExtra), '\0');
    std::string body = "WAVE";
    body += "fmt " + LeBytes(format.size(), 4) + format;
    if (spec.fact) body += "fact" + LeBytes(4, 4) + LeBytes(spec.samples.size(), 4);
    if (!spec.otherChunk.empty()) body += spec.otherChunk + LeBytes(4, 4) + "abcd";
    body += "data" + LeBytes(data.size(), 4) + data;
    return "RIFF" + LeBytes(body.size(), 4) + body;
}

// A SigmaPlot Windows worksheet. layout 'A': the marker text at 16; 'B':
// at 32, base offset at 50; 'C': neither, base offset at 80.
struct SigmaColumn {
    int32_t index = 0;
    std::vector<double> values;
    std::vector<bool> numbers;  // the tag of each cell; empty: all numbers
    std::string label;          // a name record when not empty
};

inline std::string MakeSigmaWin(char layout, int32_t lastIndex, const std::vector<SigmaColumn>& columns) {
    const std::string marker = std::string("JSDataWorksheet") + '\0';
    std::string file(128, '\0');
    uint32_t base = 0;
    if (layout == 'A') {
        file.replace(16, marker.size(), marker);
    } else {
        base = 128;
        file.replace(16, 6, std::string("Other") + '\0');
        if (layout == 'B') {
            file.replace(32, marker.size(), marker);
            file.replace(50, 4, LeBytes(base, 4));
        } else {
            file.replace(32, 6, std::string("Other") + '\0');
            file.replace(80, 4, LeBytes(base, 4));
        }
    }
    file.resize(base + 44);
    file += LeBytes(static_cast<uint32_t>(lastIndex), 2) + LeBytes(0, 2);
    for (const SigmaColumn& column : columns) {
        std::string record(1, '\x01');
        record += std::string(19, '\0') + LeBytes(static_cast<uint32_t>(column.index), 4) + std::string(4, '\0') +
                  LeBytes(column.values.size() * 16, 4);
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
// firstByteMarker), the offset of the second marker, then the blocks.
inline std::string MakeSigmaDos(const std::vector<SigmaColumn>& columns, bool firstByteMarker = false) {
    std::string file = firstByteMarker ? std::string(1, '\x1A') : std::string("SigmaPlot");
    file += "head";
    file.push_back('\x1A');  // the first marker
    const size_t m1 = file.size() - 1;
    file += std::string(6, '\0');
    const size_t qAt = m1 + 7;
    file += "QQQQ";
    file += "gap";
    const size_t q = file.size();
    file.replace(qAt, 4, LeBytes(q, 4));
    file += "xx";
    file.push_back('\x1A');  // the second marker
    const size_t m2 = file.size() - 1;
    file += std::string(m2 + 129 - file.size(), '\0');
    for (const SigmaColumn& column : columns) {
        std::string block = LeBytes(static_cast<uint32_t>(column.index), 4) + std::string(4, '\0') +
                            std::string(6, '\0') + LeBytes(column.values.size(), 2);
        for (double v : column.values) block += Double(v);
        // N: the next block starts N + 6 bytes after this one.
        const uint32_t n = static_cast<uint32_t>(block.size() + 4 - 6);
        file += LeBytes(n, 4) + block;
    }
    file += LeBytes(0, 4);
    return file;
}

}  // namespace zeltest
