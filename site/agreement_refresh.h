#pragma once

#include <filesystem>
#include <string>

namespace ondrel {

// The agreement image needs rendering again when it is missing, when the agreement document is
// newer (by its stamp), or when the program was started with any argument at all.
bool ShouldRefreshAgreement(bool imageExists, const std::string& documentStamp,
                            const std::string& imageStamp, int argc);

// The same decision for the files as they stand: the document relative to the working
// directory, the image in the exchange folder.
bool AgreementNeedsRefresh(const std::filesystem::path& document,
                           const std::filesystem::path& image, int argc);

}  // namespace ondrel
