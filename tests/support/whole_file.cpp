#include "tests/support/whole_file.h"

#include <fstream>

namespace ondrel::test {

void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace ondrel::test
