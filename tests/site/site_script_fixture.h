#pragma once

// A site of its own for each script-runner test, entered as the working directory, and the
// whole-file reader its checks use.

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tests/support/whole_file.h"

namespace ondrel::test {

class SiteScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { site_.EnterAsWorkingDirectory(); }
    TempFolder site_;
};

}  // namespace ondrel::test
