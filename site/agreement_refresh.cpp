#include "site/agreement_refresh.h"

#include "site/file_stamp.h"
#include "site/path_text.h"
#include "site/site_log.h"

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
        qCInfo(lcStartup) << "agreement image" << PathText(image) << "is missing: refreshing";
        return true;
    }
    const std::string documentStamp = GetFileStamp(document);
    const std::string imageStamp = GetFileStamp(image);
    const bool refresh = ShouldRefreshAgreement(imageExists, documentStamp, imageStamp, argc);
    qCInfo(lcStartup) << "agreement document" << documentStamp.c_str() << "image"
                      << imageStamp.c_str() << "arguments" << argc - 1
                      << (refresh ? "-> refreshing" : "-> up to date");
    return refresh;
}

}  // namespace ondrel
