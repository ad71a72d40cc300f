#include <cstdlib>

#include "site/exchange_paths.h"

namespace ondrel {

// The environment is read wide, so a folder with Chinese characters in its name works.
std::filesystem::path ExchangeFolder() {
    const wchar_t* overridden = _wgetenv(L"ONDREL_EXCHANGE_DIR");
    if (overridden != nullptr && *overridden != L'\0') {
        return overridden;
    }
    return L"c:\\ondrelTemp";
}

}  // namespace ondrel
