#include "tablet/window_hand_over.h"

#include <algorithm>
#include <array>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

WindowHandOver::WindowHandOver(TabletWindow& window)
    : window_(window), doorbell_([this] { DeliverPending(); }) {}

void WindowHandOver::HandOver(const std::uint8_t* report) {
    std::unique_lock lock(mutex_);
    if (abandoned_) {
        return;
    }
    Ticket ticket{report};
    pending_.push_back(&ticket);
    doorbell_.Ring();
    handled_.wait(lock, [&] { return ticket.done || abandoned_; });
}

void WindowHandOver::Abandon() {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    pending_.clear();
    handled_.notify_all();
}

void WindowHandOver::DeliverPending() {
    for (;;) {
        Ticket* ticket = nullptr;
        std::array<std::uint8_t, PEN_REPORT_SIZE> report;
        {
            std::lock_guard lock(mutex_);
            if (abandoned_ || pending_.empty()) {
                return;
            }
            ticket = pending_.front();
            pending_.pop_front();
            // The window works on its own copy of the 8 bytes, so that even a handler that
            // spins the event loop into a teardown never reads a buffer its reader has left.
            std::copy_n(ticket->report, report.size(), report.begin());
        }
        window_.OnTabletReport(report.data());
        std::lock_guard lock(mutex_);
        if (abandoned_) {
            return;  // the reader has left; its ticket is gone
        }
        ticket->done = true;
        handled_.notify_all();
    }
}

}  // namespace ondrel
