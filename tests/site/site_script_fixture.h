#pragma once

// A site of its own for each script-runner test, entered as the working directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/temp_folder.h"

namespace ondrel::test {

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SiteScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { site_.EnterAsWorkingDirectory(); }
    TempFolder site_;
};

}  // namespace ondrel::test
