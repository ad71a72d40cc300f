#pragma once

// The console stands where the signing window would for the diagnostic program: it prints the
// status line, the extent and each report, and asks to stop after the wanted number of reports
// or once the tablet is unplugged.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string_view>

#include "tablet/tablet_connection.h"
#include "tablet/tablet_window.h"

namespace ondrel {

class ConsoleWindow final : public TabletWindow {
  public:
    // `stopAfterReports` <= 0: no limit. `stop` is called once, when the console is finished.
    ConsoleWindow(std::FILE* out, long stopAfterReports, bool stopWhenUnplugged,
                  std::function<void()> stop);
    void Attach(const TabletConnection& connection) { connection_ = &connection; }

    void SetStatusText(std::string_view utf8) override;
    // Prints the report, unless the console is finished: reports the reader hands over after
    // the last wanted one, before the program has stopped, are not shown.
    int OnTabletReport(const std::uint8_t* report) override;

    // The wanted reports were shown, or the tablet was unplugged with stopWhenUnplugged.
    bool finished() const { return finished_; }

  private:
    void Finish();

    std::FILE* out_;
    const TabletConnection* connection_ = nullptr;
    long stopAfter_;
    bool stopWhenUnplugged_;
    std::function<void()> stop_;
    bool connected_ = false;
    bool finished_ = false;
    long seen_ = 0;
};

}  // namespace ondrel
