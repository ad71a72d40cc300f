#pragma once

// Where the program's files live. The exchange folder is shared with the visitor-management
// host; every other path is relative to the working directory, which the program never changes.

#include <filesystem>

namespace ondrel {

// "/var/lib/ondrel-sign/exchange" ("c:\\ondrelTemp" on Windows), or the folder named by
// ONDREL_EXCHANGE_DIR.
std::filesystem::path ExchangeFolder();
std::filesystem::path AgreementImagePath();    // <exchange>/userAgreement-1.jpg
std::filesystem::path PreviewSignaturePath();  // <exchange>/sign-temp.bmp
std::filesystem::path FinalSignaturePath();    // <exchange>/sign.bmp

inline constexpr const char* kAgreementDocument = "userAgreement.rtf";
inline constexpr const char* kRefreshTemplate = "config/createUpdateSignDoc.txt";
inline constexpr const char* kRefreshBatch = "createUpdateSignDoc.bat";
inline constexpr const char* kFinishTemplate = "config/createSign.txt";
inline constexpr const char* kFinishBatch = "createSign.bat";

}  // namespace ondrel
