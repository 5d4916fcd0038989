#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/FileException.h"

namespace zel::platform {
namespace {

TEST(FileExceptionTest, LegacyCodeOfEveryCause) {
    const std::vector<std::pair<FileCause, int32_t>> table = {
        {FileCause::None, 0},           {FileCause::Generic, 0},
        {FileCause::FileNotFound, 23},  {FileCause::BadPath, 0},
        {FileCause::TooManyOpenFiles, 24}, {FileCause::AccessDenied, 13},
        {FileCause::InvalidFile, 9},    {FileCause::RemoveCurrentDir, 0},
        {FileCause::DirectoryFull, 0},  {FileCause::BadSeek, 0},
        {FileCause::HardIO, 5},         {FileCause::SharingViolation, 36},
        {FileCause::LockViolation, 0},  {FileCause::DiskFull, 28},
        {FileCause::EndOfFile, 0},
    };
    for (const auto& [cause, legacy] : table) {
        EXPECT_EQ(LegacyCauseCode(cause), legacy) << "cause " << static_cast<int>(cause);
        // Every cause has its own readable text.
        EXPECT_GT(std::strlen(FileException(cause).what()), 0u);
    }
}

}  // namespace
}  // namespace zel::platform
