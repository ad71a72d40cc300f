#include "site/exchange_paths.h"

namespace ondrel {

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
