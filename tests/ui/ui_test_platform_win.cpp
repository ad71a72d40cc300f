#include <cstdint>
#include <sstream>

#include "tests/support/whole_file.h"
#include "tests/ui/ui_test_platform.h"

namespace ondrel::test {

const Qt::ContextMenuPolicy kWindowContextMenu = Qt::DefaultContextMenu;

// cmd.exe cannot read a file's header, so the script copies sign.bmp as it found it and the test
// looks at the copy. The copy is the last run's: a test that checks completeness runs the script
// once.
const char* const kRecordingFinishScript =
    "@echo off\r\n"
    "set count=0\r\n"
    "for %%a in (%*) do set /a count+=1\r\n"
    "set complete=missing\r\n"
    // A folder of that name is no signature: its attributes begin with "d".
    "for %%f in (\"%ONDREL_EXCHANGE_DIR%\\sign.bmp\") do set attributes=%%~af\r\n"
    "if exist \"%ONDREL_EXCHANGE_DIR%\\sign.bmp\" if not \"%attributes:~0,1%\"==\"d\" "
    "set complete=copied\r\n"
    "if %complete%==copied copy /b /y \"%ONDREL_EXCHANGE_DIR%\\sign.bmp\" script-saw-sign.bmp "
    ">nul\r\n"
    ">>script-runs.txt echo count=%count%\r\n"
    ">>script-runs.txt echo first=%~1\r\n"
    ">>script-runs.txt echo complete=%complete%\r\n";

namespace {

bool CompleteBmp(const std::string& bytes) {
    if (bytes.size() < 6 || bytes.compare(0, 2, "BM") != 0) {
        return false;
    }
    std::uint32_t announced = 0;
    for (int i = 5; i >= 2; --i) {
        announced = announced << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    }
    return announced == bytes.size();
}

}  // namespace

std::string RecordedScriptRuns(const std::filesystem::path& site) {
    std::istringstream lines(ReadWholeFile(site / "script-runs.txt"));
    std::string runs;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "complete=copied") {
            line = CompleteBmp(ReadWholeFile(site / "script-saw-sign.bmp")) ? "complete=yes"
                                                                            : "complete=no";
        }
        runs += line + '\n';
    }
    return runs;
}

}  // namespace ondrel::test
