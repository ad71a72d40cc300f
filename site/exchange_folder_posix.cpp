#include <cstdlib>

#include "site/exchange_paths.h"

namespace ondrel {

std::filesystem::path ExchangeFolder() {
    const char* overridden = std::getenv("ONDREL_EXCHANGE_DIR");
    if (overridden != nullptr && *overridden != '\0') {
        return overridden;
    }
    return "/tmp/ondrelTemp";
}

}  // namespace ondrel
