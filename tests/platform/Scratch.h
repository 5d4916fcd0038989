// A scratch folder per test, with the file helpers of the shared one.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/File.h"
#include "support/ZelFixture.h"

namespace zel::platform::test {

class ScratchTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }
    std::string Make(const std::string& name, const std::string& bytes) const { return scratch_.Make(name, bytes); }
    static std::string Contents(const std::string& path) { return zeltest::ScratchDir::Contents(path); }

    zeltest::ScratchDir scratch_;
};

}  // namespace zel::platform::test
