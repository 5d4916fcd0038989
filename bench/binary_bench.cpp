// Throughput of the binary block transfers through the stand-in host:
// AREAD of 10,000,000 doubles and READRECORD of 1,000,000 records of
// SHORT|-LONG2|4|DOUBLE. Prints values per second and MB per second.
//
//   binary_bench [folder]    (default: the system temp folder)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Host.h"

namespace {

constexpr uint32_t kDoubles = 10'000'000;
constexpr uint32_t kRecords = 1'000'000;
constexpr uint32_t kRecordSize = 22;

void WriteFile(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <class T>
void Put(std::vector<char>& bytes, size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof(T));
}

struct Timing {
    double seconds;
    tavrel::CallResult result;
};

template <class F>
Timing Time(F call) {
    auto start = std::chrono::steady_clock::now();
    tavrel::CallResult r = call();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return {took.count(), r};
}

void Report(const char* what, const Timing& t, double values, double bytes) {
    std::printf("%-44s %8.3f s  %12.0f values/s  %8.1f MB/s  (result %g, code %d)\n", what,
                t.seconds, values / t.seconds, bytes / t.seconds / 1e6, t.result.value, t.result.code);
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const std::string doubles = (folder / "zel-bench-doubles.bin").string();
    const std::string records = (folder / "zel-bench-records.bin").string();

    std::vector<char> bytes(static_cast<size_t>(kDoubles) * 8);
    for (uint32_t i = 0; i < kDoubles; ++i) Put(bytes, static_cast<size_t>(i) * 8, i * 0.5);
    WriteFile(doubles, bytes);
    bytes.assign(static_cast<size_t>(kRecords) * kRecordSize, 0);
    for (uint32_t i = 0; i < kRecords; ++i) {
        const size_t at = static_cast<size_t>(i) * kRecordSize;
        Put(bytes, at, static_cast<uint16_t>(i & 0xFFFF));
        Put(bytes, at + 2, -static_cast<int32_t>(i));
        Put(bytes, at + 6, static_cast<int32_t>(i * 3));
        Put(bytes, at + 14, i * 0.25);
    }
    WriteFile(records, bytes);
    bytes.clear();
    bytes.shrink_to_fit();

    tavrel::Host host(tavrel::Host::DefaultModulePath());
    host.CreateDataset("bench");
    host.SetNumber(nullptr, "NBYTES", 8);
    if (host.Call("OPEN", doubles + ",0").code != 1) {
        std::fprintf(stderr, "cannot open %s\n", doubles.c_str());
        return 1;
    }
    Timing aread = Time([&] { return host.Call("AREAD", "bench,1," + std::to_string(kDoubles) + ",1"); });
    const tavrel::Dataset* data = host.FindDataset("bench");
    const bool arrayOk = data != nullptr && data->upper() == static_cast<int32_t>(kDoubles) &&
                         data->number(kDoubles - 1).value_or(0) == (kDoubles - 1) * 0.5;

    host.CreateWorksheet("recs", 4);
    if (host.Call("OPEN", records + ",0").code != 1) {
        std::fprintf(stderr, "cannot open %s\n", records.c_str());
        return 1;
    }
    Timing rrec = Time([&] {
        return host.Call("READRECORD", "recs," + std::to_string(kRecords) + ",SHORT|-LONG2|4|DOUBLE");
    });
    const tavrel::Worksheet* sheet = host.FindWorksheet("recs");
    const bool recordsOk = sheet != nullptr &&
                           sheet->column(2)->dataset().number(kRecords - 1).value_or(0) ==
                               -static_cast<double>(kRecords - 1) &&
                           sheet->column(4)->dataset().number(kRecords - 1).value_or(0) ==
                               (kRecords - 1) * 0.25;
    host.Call("CLOSEALL", "");

    Report("AREAD 10,000,000 doubles", aread, kDoubles, kDoubles * 8.0);
    Report("READRECORD 1,000,000 x SHORT|-LONG2|4|DOUBLE", rrec, kRecords * 4.0,
           kRecords * static_cast<double>(kRecordSize));
    std::printf("values checked: %s\n", arrayOk && recordsOk ? "yes" : "NO");
    std::filesystem::remove(doubles);
    std::filesystem::remove(records);
    return arrayOk && recordsOk ? 0 : 1;
}
