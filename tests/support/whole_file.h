#pragma once

// Whole files for tests: written in one go, read back in one go.

#include <filesystem>
#include <string>
#include <type_traits>

namespace ondrel::test {

// The file's bytes, read the way a host that lets the writer replace the file meanwhile reads
// them (on Windows: opened with delete sharing). Empty when it cannot be opened.
std::string ReadWholeFileText(const std::filesystem::path& path);

// The same bytes in the container the test compares with (a std::string unless asked for, say,
// std::vector<std::uint8_t> to meet an encoder's output).
template <typename Bytes = std::string>
Bytes ReadWholeFile(const std::filesystem::path& path) {
    if constexpr (std::is_same_v<Bytes, std::string>) {
        return ReadWholeFileText(path);
    } else {
        const std::string text = ReadWholeFileText(path);
        return Bytes(text.begin(), text.end());
    }
}

// Writes `bytes` as the whole of the file, making its folder when missing.
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace ondrel::test
