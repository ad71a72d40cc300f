#include "app/agreement_refresh.h"

#include "app/file_stamp.h"

namespace ondrel {

bool ShouldRefreshAgreement(bool imageExists, const std::string& documentStamp,
                            const std::string& imageStamp, int argc) {
    if (!imageExists) {
        return true;
    }
    if (documentStamp.compare(imageStamp) > 0) {
        return true;
    }
    return argc > 1;
}

bool AgreementNeedsRefresh(const std::filesystem::path& document,
                           const std::filesystem::path& image, int argc) {
    std::error_code ignored;
    const bool imageExists = std::filesystem::exists(image, ignored);
    if (!imageExists) {
        return true;
    }
    return ShouldRefreshAgreement(imageExists, GetFileStamp(document), GetFileStamp(image), argc);
}

}  // namespace ondrel
