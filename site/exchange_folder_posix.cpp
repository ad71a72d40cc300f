#include <cstdlib>

#include "site/exchange_paths.h"

namespace ondrel {

std::filesystem::path ExchangeFolder() {
    const char* overridden = std::getenv("ONDREL_EXCHANGE_DIR");
    if (overridden != nullptr && *overridden != '\0') {
        return overridden;
    }
    // Made by the package: shared by the desk user and the host through the group "ondrel".
    return "/var/lib/ondrel-sign/exchange";
}

}  // namespace ondrel
