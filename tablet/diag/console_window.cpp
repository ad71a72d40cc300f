#include "tablet/diag/console_window.h"

#include <span>

#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

ConsoleWindow::ConsoleWindow(std::FILE* out, long stopAfterReports, bool stopWhenUnplugged,
                             std::function<void()> stop)
    : out_(out),
      stopAfter_(stopAfterReports),
      stopWhenUnplugged_(stopWhenUnplugged),
      stop_(std::move(stop)) {}

void ConsoleWindow::SetStatusText(std::string_view utf8) {
    std::fprintf(out_, "status: %.*s\n", static_cast<int>(utf8.size()), utf8.data());
    if (utf8 == STATUS_CONNECTED) {
        connected_ = true;
    }
    if (utf8 == STATUS_CONNECTED && connection_ != nullptr) {
        const TabletExtent extent = connection_->extent();
        std::fprintf(out_, "extent: %u x %u (maxX %u, maxY %u)\n", extent.maxX, extent.maxY,
                     extent.maxX, extent.maxY);
        if (extent.maxX == 0 || extent.maxY == 0) {
            std::fprintf(out_,
                         "warning: a zero extent: the parameter reply was short or failed;"
                         " nothing can be drawn\n");
        }
    }
    std::fflush(out_);
    if (utf8 == STATUS_DISCONNECTED && connected_ && stopWhenUnplugged_ && !finished_) {
        std::fprintf(out_, "the tablet was unplugged\n");
        std::fflush(out_);
        Finish();
    }
}

int ConsoleWindow::OnTabletReport(const std::uint8_t* report) {
    if (finished_) {
        return 1;
    }
    const PenReport pen =
        DecodePenReport(std::span<const std::uint8_t, PEN_REPORT_SIZE>(report, PEN_REPORT_SIZE));
    std::fprintf(out_, "report");
    for (std::size_t i = 0; i < PEN_REPORT_SIZE; ++i) {
        std::fprintf(out_, " %02X", report[i]);
    }
    std::fprintf(out_, "  x %u y %u pressure %u%s\n", pen.x, pen.y, pen.pressure,
                 pen.pressure == 0 ? " (pen up)" : "");
    std::fflush(out_);
    if (stopAfter_ > 0 && ++seen_ >= stopAfter_) {
        Finish();
    }
    return 1;
}

void ConsoleWindow::Finish() {
    finished_ = true;
    if (stop_) {
        stop_();
    }
}

}  // namespace ondrel
