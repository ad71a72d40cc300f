// What the diagnostic program prints as the tablet's window: the report count it was asked for,
// never one more, however many the reader hands over before the program stops.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tablet/diag/console_window.h"

namespace ondrel {
namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class ConsoleWindowTest : public ::testing::Test {
  protected:
    std::string Printed() {
        std::rewind(out_.get());
        std::string text;
        for (int c = std::fgetc(out_.get()); c != EOF; c = std::fgetc(out_.get())) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }
    static std::size_t Count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }

    std::unique_ptr<std::FILE, CloseFile> out_{std::tmpfile()};
    int stops_ = 0;
    const std::uint8_t report_[PEN_REPORT_SIZE] = {0x07, 0x80, 0x10, 0x27, 0x20, 0x4E, 0xE8, 0x03};
};

TEST_F(ConsoleWindowTest, ReportsHandedOverAfterTheLastWantedOneAreNotPrinted) {
    ASSERT_TRUE(out_);
    ConsoleWindow window(out_.get(), 2, false, [this] { ++stops_; });
    window.OnTabletReport(report_);
    EXPECT_FALSE(window.finished());
    window.OnTabletReport(report_);
    EXPECT_TRUE(window.finished());
    // The reader had the next report queued before the event loop ended.
    window.OnTabletReport(report_);
    window.OnTabletReport(report_);
    EXPECT_EQ(Count(Printed(), "report 07 80 10 27 20 4E E8 03"), 2u);
    EXPECT_EQ(stops_, 1);
}

TEST_F(ConsoleWindowTest, WithoutALimitEveryReportIsPrinted) {
    ASSERT_TRUE(out_);
    ConsoleWindow window(out_.get(), -1, false, [this] { ++stops_; });
    for (int i = 0; i < 5; ++i) {
        window.OnTabletReport(report_);
    }
    EXPECT_EQ(Count(Printed(), "x 10000 y 20000 pressure 1000\n"), 5u);
    EXPECT_FALSE(window.finished());
    EXPECT_EQ(stops_, 0);
}

TEST_F(ConsoleWindowTest, UnpluggingFinishesOnlyWhenAskedAndAfterAConnection) {
    ASSERT_TRUE(out_);
    ConsoleWindow window(out_.get(), -1, true, [this] { ++stops_; });
    window.SetStatusText(STATUS_DISCONNECTED);  // at start-up: nothing to wait for yet
    EXPECT_FALSE(window.finished());
    window.SetStatusText(STATUS_CONNECTED);
    window.SetStatusText(STATUS_DISCONNECTED);
    EXPECT_TRUE(window.finished());
    window.SetStatusText(STATUS_CONNECTED);
    window.SetStatusText(STATUS_DISCONNECTED);
    window.OnTabletReport(report_);
    const std::string printed = Printed();
    EXPECT_EQ(Count(printed, "the tablet was unplugged\n"), 1u);
    EXPECT_EQ(Count(printed, "report "), 0u);
    EXPECT_EQ(stops_, 1);
}

}  // namespace
}  // namespace ondrel
