#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>

#include "site/path_text.h"
#include "site/script_process.h"
#include "site/site_log.h"

namespace ondrel {

// The batch file's default action (cmd.exe), hidden, with "open" as its one argument. The shell
// hands the script this process's environment, so the folder is set there first.
bool RunHiddenAndWait(const std::filesystem::path& batch,
                      const std::filesystem::path& exchangeFolder) {
    SetEnvironmentVariableW(L"ONDREL_EXCHANGE_DIR", exchangeFolder.c_str());
    const std::wstring file = batch.wstring();
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.lpFile = file.c_str();
    request.lpParameters = L"open";
    request.nShow = SW_HIDE;
    if (!ShellExecuteExW(&request)) {
        qCInfo(lcScripts) << "could not start" << PathText(batch) << "error"
                          << static_cast<unsigned long>(GetLastError());
        return false;
    }
    if (request.hProcess != nullptr) {
        WaitForSingleObject(request.hProcess, INFINITE);
        DWORD exitCode = 0;
        GetExitCodeProcess(request.hProcess, &exitCode);
        qCInfo(lcScripts) << PathText(batch) << "ended with exit code" << exitCode;
        CloseHandle(request.hProcess);
    }
    return true;
}

}  // namespace ondrel
