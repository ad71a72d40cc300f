// Placeholder until the USB implementations land: no tablet is ever found.
#include "tablet/tablet_connection.h"

namespace ondrel {

struct TabletConnection::Impl {
    TabletWindow& window;
};

TabletConnection::TabletConnection(TabletWindow& window) : impl_(new Impl{window}) {}
TabletConnection::~TabletConnection() {
    Shutdown();
}
bool TabletConnection::ConnectTablet() {
    return false;
}
void TabletConnection::RegisterTabletNotifications() {}
int TabletConnection::OnDeviceChange(std::uint32_t, const std::uint8_t* record, std::size_t) {
    return record == nullptr ? -1 : 0;
}
bool TabletConnection::CloseTablet() {
    return false;
}
void TabletConnection::Shutdown() {}
bool TabletConnection::isOpen() const {
    return false;
}
TabletExtent TabletConnection::extent() const {
    return {};
}

}  // namespace ondrel
