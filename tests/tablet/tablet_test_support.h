#pragma once

// A signing window stand-in and report bytes for the tablet tests.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tablet/sim/sim_tablet.h"
#include "tablet/tablet_window.h"
#include "tests/support/pump_until.h"

namespace ondrel::test {

// Records what the connection shows and hands over; every call must come on the test thread.
class FakeTabletWindow final : public TabletWindow {
  public:
    void SetStatusText(std::string_view utf8) override {
        EXPECT_EQ(std::this_thread::get_id(), windowThread);
        statusTexts.emplace_back(utf8);
    }
    int OnTabletReport(const std::uint8_t* report) override {
        EXPECT_EQ(std::this_thread::get_id(), windowThread);
        EXPECT_FALSE(inHandler) << "two reports at once";
        inHandler = true;
        PenReportBytes bytes;
        std::copy_n(report, bytes.size(), bytes.begin());
        reports.push_back(bytes);
        if (onReport) {
            onReport(bytes);
        }
        inHandler = false;
        return 1;
    }
    std::string status() const { return statusTexts.empty() ? std::string() : statusTexts.back(); }

    const std::thread::id windowThread = std::this_thread::get_id();
    std::vector<std::string> statusTexts;
    std::vector<PenReportBytes> reports;
    std::function<void(const PenReportBytes&)> onReport;
    bool inHandler = false;
};

inline PenReportBytes Report(std::uint16_t x, std::uint16_t y, std::uint16_t pressure,
                             std::uint8_t tag = 0x07) {
    return EncodePenReport({x, y, pressure}, tag, 0x80);
}

}  // namespace ondrel::test
