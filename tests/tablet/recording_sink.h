#pragma once

// Where a reader under test hands its reports: it records them, on the reader's own thread, and
// can hold the reader inside a hand-over.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "tablet/report_reader.h"
#include "tablet/sim/sim_tablet.h"  // PenReportBytes

namespace ondrel::test {

class RecordingSink final : public ReportSink {
  public:
    void HandOver(const std::uint8_t* report) override {
        std::unique_lock lock(mutex_);
        PenReportBytes bytes;
        std::copy_n(report, bytes.size(), bytes.begin());
        reports_.push_back(bytes);
        ++inside_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !holding_; });
        --inside_;
    }
    void Hold(bool hold) {
        std::lock_guard lock(mutex_);
        holding_ = hold;
        changed_.notify_all();
    }
    bool WaitForReports(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20),
                                 [&] { return reports_.size() >= count; });
    }
    std::vector<PenReportBytes> reports() {
        std::lock_guard lock(mutex_);
        return reports_;
    }
    int inside() {
        std::lock_guard lock(mutex_);
        return inside_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PenReportBytes> reports_;
    bool holding_ = false;
    int inside_ = 0;
};

}  // namespace ondrel::test
