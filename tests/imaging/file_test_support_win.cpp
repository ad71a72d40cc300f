#include <windows.h>

#include "tests/imaging/file_test_support.h"

namespace ondrel::test {

const bool kReplaceFailsWhileReaderHasFileOpen = true;

std::optional<int> SaveIntoReadOnlyFolder(const std::filesystem::path&,
                                          const std::function<int()>&) {
    return std::nullopt;  // a folder's read-only flag is only an attribute: files still go in
}

}  // namespace ondrel::test
