// The simulated tablet's script from a named pipe (\\.\pipe\NAME), read as its writer sends
// lines; the test is the pipe's server, the script source its client.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "tablet/sim/sim_tablet.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;

class SimScriptNamedPipe : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = "\\\\.\\pipe\\ondrel-sim-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        pipe_ = CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_OUTBOUND,
                                 PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096,
                                 0, 0, nullptr);
        ASSERT_NE(pipe_, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    }
    void TearDown() override { Close(); }

    // Returns once the script source has connected.
    bool AwaitReader() {
        return ConnectNamedPipe(pipe_, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    }
    bool Send(const std::string& lines) {
        DWORD written = 0;
        return WriteFile(pipe_, lines.data(), static_cast<DWORD>(lines.size()), &written,
                         nullptr) &&
               written == lines.size();
    }
    void Close() {
        if (pipe_ != INVALID_HANDLE_VALUE) {
            CloseHandle(pipe_);
            pipe_ = INVALID_HANDLE_VALUE;
        }
    }

    std::string path_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
};

TEST_F(SimScriptNamedPipe, LinesAreReadAsTheyArrive) {
    SimTablet sim;
    std::thread runner([&] { sim.RunScript(path_); });  // blocks until the prelude has ended
    const bool connected = AwaitReader();
    if (!connected || !Send("plug\nsleep 0\n")) {
        Close();  // the runner sees the end of its script and can be joined
        runner.join();
        FAIL() << "the script source did not connect to the pipe: error " << GetLastError();
    }
    runner.join();
    EXPECT_TRUE(sim.FindFirstDevice().has_value());
    ASSERT_TRUE(Send("unplug\n"));
    EXPECT_TRUE(
        sim.WaitFor([&](const SimTablet&) { return !sim.FindFirstDevice().has_value(); }, 20s));
}

TEST_F(SimScriptNamedPipe, ASilentWriterDoesNotHoldUpTheEndOfTheSimulation) {
    auto sim = std::make_unique<SimTablet>();
    std::thread runner([&] { sim->RunScript(path_); });
    ASSERT_TRUE(AwaitReader());
    ASSERT_TRUE(Send("plug\nsleep 0\n"));
    runner.join();
    ASSERT_TRUE(sim->FindFirstDevice().has_value());
    // The script's thread now waits in a read of the pipe, which stays open and silent: the
    // simulation's end cancels that read rather than wait for the writer.
    sim.reset();
    EXPECT_FALSE(Send("unplug\n")) << "the script source still has the pipe open";
}

}  // namespace
}  // namespace ondrel
