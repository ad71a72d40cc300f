#include "tablet/sim/sim_script.h"

#include <gtest/gtest.h>

#include "tablet/tablet_link.h"
#include "tests/support/temp_folder.h"

namespace ondrel {
namespace {

using namespace std::chrono_literals;
using Kind = ScriptCommand::Kind;

std::optional<ScriptCommand> Parse(std::string_view line) {
    std::string error;
    auto command = ParseScriptLine(line, error);
    EXPECT_TRUE(error.empty()) << line << ": " << error;
    return command;
}

std::string ErrorOf(std::string_view line) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, error)) << line;
    return error;
}

TEST(ParseScriptLine, BlankLinesAndCommentsGiveNothing) {
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse("   \t"));
    EXPECT_FALSE(Parse("# plug"));
    EXPECT_FALSE(Parse("  # comment"));
}

TEST(ParseScriptLine, PlugWithAndWithoutVendor) {
    auto plain = Parse("plug");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->kind, Kind::Plug);
    EXPECT_EQ(plain->vendorId, TABLET_VENDOR_ID);
    auto other = Parse("plug 1234  # another vendor");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->vendorId, 0x1234);
    EXPECT_FALSE(ErrorOf("plug xyz").empty());
}

TEST(ParseScriptLine, UnplugSleepParamReport) {
    EXPECT_EQ(Parse("unplug")->kind, Kind::Unplug);
    auto sleep = Parse("sleep 250");
    EXPECT_EQ(sleep->kind, Kind::Sleep);
    EXPECT_EQ(sleep->duration, 250ms);
    auto param = Parse("param 04 03 40 9C");
    EXPECT_EQ(param->kind, Kind::Param);
    EXPECT_EQ(param->bytes, (std::vector<std::uint8_t>{0x04, 0x03, 0x40, 0x9C}));
    auto empty = Parse("param");
    EXPECT_EQ(empty->kind, Kind::Param);
    EXPECT_TRUE(empty->bytes.empty());
    auto report = Parse("report 07 80 10 27 20 4e E8 03\r");
    EXPECT_EQ(report->kind, Kind::Report);
    EXPECT_EQ(report->bytes,
              (std::vector<std::uint8_t>{0x07, 0x80, 0x10, 0x27, 0x20, 0x4E, 0xE8, 0x03}));
}

TEST(ParseScriptLine, PipeTakesOneEndpointAddress) {
    auto out = Parse("pipe 01  # an OUT endpoint");
    ASSERT_TRUE(out);
    EXPECT_EQ(out->kind, Kind::Pipe);
    EXPECT_EQ(out->bytes, (std::vector<std::uint8_t>{0x01}));
    EXPECT_EQ(Parse("pipe 81")->bytes, (std::vector<std::uint8_t>{0x81}));
    EXPECT_FALSE(ErrorOf("pipe").empty());
    EXPECT_FALSE(ErrorOf("pipe 01 02").empty());
    EXPECT_FALSE(ErrorOf("pipe 181").empty());
}

TEST(ParseScriptLine, MalformedLinesSayWhy) {
    EXPECT_FALSE(ErrorOf("report 07 80").empty());
    EXPECT_FALSE(ErrorOf("report 07 80 10 27 20 4E E8 03 00").empty());
    EXPECT_FALSE(ErrorOf("report 07 80 10 27 20 4E E8 GG").empty());
    EXPECT_FALSE(ErrorOf("param 100").empty());
    EXPECT_FALSE(ErrorOf("sleep").empty());
    EXPECT_FALSE(ErrorOf("sleep -5").empty());
    EXPECT_FALSE(ErrorOf("jump").empty());
    EXPECT_FALSE(ErrorOf("stroke 1 2 3").empty());
    EXPECT_FALSE(ErrorOf("stroke 1 2 3 4 0").empty());
    EXPECT_FALSE(ErrorOf("stroke 1 2 3 4 5 0").empty());
}

TEST(ParseScriptLine, WaitTakesTheWordSigning) {
    EXPECT_EQ(Parse("wait signing  # for the visitor")->kind, Kind::WaitSigning);
    EXPECT_FALSE(ErrorOf("wait").empty());
    EXPECT_FALSE(ErrorOf("wait 100").empty());
    EXPECT_FALSE(ErrorOf("wait signing now").empty());
}

TEST(ExpandStroke, PenDownAlongTheLineThenPenUp) {
    auto stroke = Parse("stroke 0 100 1000 300 4 2000");
    ASSERT_TRUE(stroke);
    const std::vector<PenReportBytes> reports = ExpandStroke(*stroke);
    ASSERT_EQ(reports.size(), 6u);
    const PenReport first = DecodePenReport(reports[0]);
    EXPECT_EQ(first, (PenReport{0, 100, 2000}));
    EXPECT_EQ(DecodePenReport(reports[2]), (PenReport{500, 200, 2000}));
    EXPECT_EQ(DecodePenReport(reports[4]), (PenReport{1000, 300, 2000}));
    EXPECT_EQ(DecodePenReport(reports[5]), (PenReport{1000, 300, 0}));
}

TEST(ExpandStroke, RunsBackwardsToo) {
    auto stroke = Parse("stroke 1000 0 0 0 2");
    const std::vector<PenReportBytes> reports = ExpandStroke(*stroke);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(DecodePenReport(reports[1]).x, 500);
    EXPECT_EQ(DecodePenReport(reports[1]).pressure, 1000);
}

class SimScriptRunnerTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& text) { return folder_.Write("script", text).string(); }
    // Runs the script and opens the tablet it plugs in.
    void RunAndOpen(SimTablet& sim, const std::string& script, TabletLink& link) {
        sim.RunScript(Write(script));
        TabletExtent extent;
        ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    }
    std::array<std::uint8_t, PEN_REPORT_SIZE> buffer_{};
    test::TempFolder folder_;
};

TEST_F(SimScriptRunnerTest, AScriptThatBeginsWithPlugHasTheTabletPresentAtOnce) {
    SimTablet sim;
    sim.RunScript(Write("# present at start\nparam 04 03 40 9C\nplug\nsleep 100000\n"));
    EXPECT_TRUE(sim.FindFirstDevice().has_value());
    TabletLink link;
    TabletExtent extent;
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    EXPECT_EQ(extent, (TabletExtent{40000, 0}));
}  // the long sleep ends with the simulation

TEST_F(SimScriptRunnerTest, WithoutPlugNoTabletIsPresent) {
    SimTablet sim;
    sim.RunScript(Write("sleep 100000\nplug\n"));
    EXPECT_FALSE(sim.FindFirstDevice().has_value());
}

TEST_F(SimScriptRunnerTest, ReportsWaitForTheirReadAndStrokesExpand) {
    SimTablet sim;
    sim.RunScript(Write("plug\nreport 07 80 10 27 20 4E E8 03\nstroke 0 0 10 10 1\nunplug\n"));
    TabletLink link;
    TabletExtent extent;
    ASSERT_EQ(OpenTablet(sim, link, extent), OpenOutcome::Opened);
    std::array<std::uint8_t, PEN_REPORT_SIZE> buffer{};
    ASSERT_EQ(link.device->Read(0x81, buffer, 20s).outcome, ReadOutcome::Completed);
    EXPECT_EQ(DecodePenReport(buffer), (PenReport{10000, 20000, 1000}));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(link.device->Read(0x81, buffer, 20s).outcome, ReadOutcome::Completed);
    }
    EXPECT_EQ(DecodePenReport(buffer), (PenReport{10, 10, 0}));
    // Only once the last report was read does the script go on to unplug.
    EXPECT_EQ(link.device->Read(0x81, buffer, 20s).outcome, ReadOutcome::Failed);
    EXPECT_FALSE(sim.FindFirstDevice().has_value());
}

TEST_F(SimScriptRunnerTest, WaitSigningHoldsTheRestBackUntilTheWindowSigns) {
    SimTablet sim;
    sim.SetSigningMode(true);
    sim.SetSigningMode(false);  // back to the terms before the script starts
    TabletLink link;
    ASSERT_NO_FATAL_FAILURE(
        RunAndOpen(sim, "plug\nwait signing\nreport 07 80 10 27 20 4E E8 03\n", link));
    EXPECT_EQ(link.device->Read(0x81, buffer_, 200ms).outcome, ReadOutcome::TimedOut);
    sim.SetSigningMode(true);
    ASSERT_EQ(link.device->Read(0x81, buffer_, 20s).outcome, ReadOutcome::Completed);
    EXPECT_EQ(DecodePenReport(buffer_), (PenReport{10000, 20000, 1000}));
}

TEST_F(SimScriptRunnerTest, WaitSigningGoesOnAtOnceInSigningModeAndEndsWithTheSimulation) {
    {
        SimTablet sim;
        sim.SetSigningMode(true);
        TabletLink link;
        ASSERT_NO_FATAL_FAILURE(
            RunAndOpen(sim, "plug\nwait signing\nreport 07 80 10 27 20 4E E8 03\n", link));
        EXPECT_EQ(link.device->Read(0x81, buffer_, 20s).outcome, ReadOutcome::Completed);
    }
    SimTablet waiting;
    waiting.RunScript(Write("plug\nwait signing\nunplug\n"));
    EXPECT_TRUE(waiting.FindFirstDevice().has_value());
}  // the script still waits for signing mode; the simulation's end ends the wait

}  // namespace
}  // namespace ondrel
