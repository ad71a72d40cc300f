#pragma once

// File-system helpers of the imaging tests whose implementation depends on the platform
// (file_test_support_posix.cpp, file_test_support_win.cpp).

#include <filesystem>
#include <functional>
#include <optional>

#include "tests/support/file_size_limit.h"  // WithFileSizeLimit

namespace ondrel::test {

// Whether replacing a file fails while a reader has it open: so on Windows (without the POSIX
// rename semantics of recent NTFS, and always under Wine), never on POSIX.
extern const bool kReplaceFailsWhileReaderHasFileOpen;

// Runs `save` while `folder` is read-only to it, in a way that root cannot bypass; the result of
// `save`, or nothing where the platform (or this machine) can make no such folder.
std::optional<int> SaveIntoReadOnlyFolder(const std::filesystem::path& folder,
                                          const std::function<int()>& save);

}  // namespace ondrel::test
