#include <windows.h>

#include "tests/imaging/file_test_support.h"

namespace ondrel::test {

const bool kReplaceFailsWhileReaderHasFileOpen = true;

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    DWORD count = 0;
    while (ReadFile(file, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    CloseHandle(file);
    return bytes;
}

std::optional<int> SaveIntoReadOnlyFolder(const std::filesystem::path&,
                                          const std::function<int()>&) {
    return std::nullopt;  // a folder's read-only flag is only an attribute: files still go in
}

}  // namespace ondrel::test
