#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include "tests/support/thread_count.h"

namespace ondrel::test {

std::size_t ThreadCount() {
    const DWORD process = GetCurrentProcessId();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == process ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace ondrel::test
