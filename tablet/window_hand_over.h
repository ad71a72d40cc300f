#pragma once

// The synchronous hand-over of reports from readers to the window thread. A reader queues a
// ticket pointing at its buffer, rings the window thread and waits; the window thread hands the
// report to TabletWindow::OnTabletReport and then releases the reader. Teardown abandons the
// hand-over: every waiting reader returns at once and the window is never called again, so the
// window thread never waits for a reader that waits for it.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "tablet/report_reader.h"
#include "tablet/tablet_window.h"
#include "tablet/window_doorbell.h"

namespace ondrel {

class WindowHandOver final : public ReportSink {
  public:
    // Create on the window thread.
    explicit WindowHandOver(TabletWindow& window);

    // Reader thread: returns once the window has handled the report, or once abandoned.
    void HandOver(const std::uint8_t* report) override;
    // Window thread: releases every waiting reader; later hand-overs return at once.
    void Abandon();

  private:
    struct Ticket {
        const std::uint8_t* report;
        bool done = false;
    };
    void DeliverPending();  // window thread

    TabletWindow& window_;
    std::mutex mutex_;
    std::condition_variable handled_;
    std::deque<Ticket*> pending_;
    bool abandoned_ = false;
    WindowThreadDoorbell doorbell_;
};

}  // namespace ondrel
