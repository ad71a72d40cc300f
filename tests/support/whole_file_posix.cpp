#include <fstream>
#include <iterator>

#include "tests/support/whole_file.h"

namespace ondrel::test {

std::string ReadWholeFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace ondrel::test
