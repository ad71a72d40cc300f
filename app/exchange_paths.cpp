#include "app/exchange_paths.h"

#include <cstdlib>

namespace ondrel {

std::filesystem::path ExchangeFolder() {
    const char* overridden = std::getenv("ONDREL_EXCHANGE_DIR");
    if (overridden != nullptr && *overridden != '\0') {
        return overridden;
    }
#ifdef _WIN32
    return "c:\\ondrelTemp";
#else
    return "/tmp/ondrelTemp";
#endif
}

std::filesystem::path AgreementImagePath() {
    return ExchangeFolder() / "userAgreement-1.jpg";
}
std::filesystem::path PreviewSignaturePath() {
    return ExchangeFolder() / "sign-temp.bmp";
}
std::filesystem::path FinalSignaturePath() {
    return ExchangeFolder() / "sign.bmp";
}

}  // namespace ondrel
