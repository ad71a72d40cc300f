#pragma once

// What the tablet connection and its reader need from the signing window. Every call arrives on
// the window thread.

#include <cstdint>
#include <string_view>

namespace ondrel {

inline constexpr std::string_view STATUS_CONNECTED = "设备已连接";
inline constexpr std::string_view STATUS_DISCONNECTED = "设备未连接";

class TabletWindow {
  public:
    virtual ~TabletWindow() = default;
    // Shows a status text (UTF-8) in the window's status line.
    virtual void SetStatusText(std::string_view utf8) = 0;
    // Handles one 8-byte report; the bytes are valid only during the call. Returns 1.
    virtual int OnTabletReport(const std::uint8_t* report) = 0;
};

}  // namespace ondrel
