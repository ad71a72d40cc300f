#include "tablet/usb_port_factory.h"

#include <cstdlib>

#include "tablet/sim/sim_tablet.h"
#include "tablet/usb/system_usb_port.h"

namespace ondrel {

std::unique_ptr<UsbPort> MakeUsbPort() {
    if (const char* script = std::getenv("ONDREL_TABLET_SIM"); script != nullptr && *script) {
        auto sim = std::make_unique<SimTablet>();
        sim->RunScript(script);
        return sim;
    }
    if (std::unique_ptr<UsbPort> port = MakeSystemUsbPort()) {
        return port;
    }
    return std::make_unique<SimTablet>();  // never plugged: no tablet
}

}  // namespace ondrel
