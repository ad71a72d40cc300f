#pragma once

// File-system helpers of the imaging tests whose implementation depends on the platform
// (file_test_support_posix.cpp, file_test_support_win.cpp).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "tests/support/file_size_limit.h"  // WithFileSizeLimit

namespace ondrel::test {

// Whether replacing a file fails while a reader has it open: so on Windows (without the POSIX
// rename semantics of recent NTFS, and always under Wine), never on POSIX.
extern const bool kReplaceFailsWhileReaderHasFileOpen;

// The file's bytes, read the way a host that lets the writer replace the file meanwhile reads
// them (on Windows: opened with delete sharing). Empty when it cannot be opened.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Runs `save` while `folder` is read-only to it, in a way that root cannot bypass; the result of
// `save`, or nothing where the platform (or this machine) can make no such folder.
std::optional<int> SaveIntoReadOnlyFolder(const std::filesystem::path& folder,
                                          const std::function<int()>& save);

}  // namespace ondrel::test
