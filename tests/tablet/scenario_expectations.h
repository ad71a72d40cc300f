#pragma once

// What a tablet scenario's `#?` lines say the diagnostic program prints when it runs the
// scenario (tests/tablet/usbvm/README.md): its arguments, its exit status and its lines.

#include <fstream>
#include <string>
#include <vector>

namespace ondrel::test {

struct ExpectedLine {
    std::string line;
    int count = -1;  // -1: at least once
};

struct ScenarioExpectations {
    std::string args;  // as written, words separated by spaces
    int exitStatus = 0;
    std::vector<ExpectedLine> lines;
};

inline std::string TextAfter(const std::string& line, std::size_t at) {
    const std::size_t start = line.find_first_not_of(' ', at);
    return start == std::string::npos ? std::string() : line.substr(start);
}

inline ScenarioExpectations ReadScenarioExpectations(const std::string& path) {
    ScenarioExpectations expectations;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("#? args:", 0) == 0) {
            expectations.args = TextAfter(line, 8);
        } else if (line.rfind("#? exit:", 0) == 0) {
            expectations.exitStatus = std::stoi(TextAfter(line, 8));
        } else if (line.rfind("#? line:", 0) == 0) {
            expectations.lines.push_back({TextAfter(line, 8), -1});
        } else if (line.rfind("#? count ", 0) == 0) {
            expectations.lines.push_back(
                {TextAfter(line, line.find(':') + 1), std::stoi(line.substr(9))});
        }
    }
    return expectations;
}

}  // namespace ondrel::test
