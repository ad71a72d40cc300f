#pragma once

// What the signing window tests find different on each platform (ui_test_platform_posix.cpp,
// ui_test_platform_win.cpp).

#include <Qt>
#include <filesystem>
#include <string>

namespace ondrel::test {

// The finishing script, in the platform's script language (a shell script; a batch file on
// Windows). It records its arguments and whether sign.bmp was complete (its size equals the size
// its header announces) when it started, in script-runs.txt of its working directory.
extern const char* const kRecordingFinishScript;

// What the script recorded in the site folder `site`, three lines a run:
//   count=<number of arguments>\nfirst=<first argument>\ncomplete=yes|no|missing\n
// Empty when it never ran.
std::string RecordedScriptRuns(const std::filesystem::path& site);

// The window's context menu: its own actions, which end with the About entry, where there is no
// system menu to put that entry in; the default one on Windows.
extern const Qt::ContextMenuPolicy kWindowContextMenu;

}  // namespace ondrel::test
