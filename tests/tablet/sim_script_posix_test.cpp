// The simulated tablet's script from a FIFO, read as its writer sends lines.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <thread>

#include "tablet/sim/sim_tablet.h"
#include "tests/support/temp_folder.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;

TEST(SimScriptPipe, AFifoIsReadAsLinesArrive) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "script-fifo").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    std::FILE* writer = nullptr;
    std::thread opener([&] { writer = std::fopen(path.c_str(), "w"); });
    SimTablet sim;
    std::thread runner([&] { sim.RunScript(path); });  // blocks until the prelude has ended
    opener.join();
    if (writer == nullptr) {
        // The runner still waits for its first lines: end its script with a writer that
        // closes at once, so that it can be joined before the test fails.
        if (std::FILE* closer = std::fopen(path.c_str(), "w")) {
            std::fclose(closer);
        }
        runner.join();
        FAIL() << "the FIFO could not be opened for writing";
    }
    std::fputs("plug\nsleep 0\n", writer);
    std::fflush(writer);
    runner.join();
    EXPECT_TRUE(sim.FindFirstDevice().has_value());
    std::fputs("unplug\n", writer);
    std::fflush(writer);
    EXPECT_TRUE(
        sim.WaitFor([&](const SimTablet&) { return !sim.FindFirstDevice().has_value(); }, 20s));
    std::fclose(writer);
}

}  // namespace
}  // namespace ondrel
