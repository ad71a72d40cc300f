#include <windows.h>

#include <cstdint>
#include <string>

#include "tablet/sim/script_source.h"

namespace ondrel {

// The path comes from the environment in the system's code page. The script is read with
// overlapped reads, each waited for together with the interrupt event: an Interrupt that comes
// before a read starts leaves the event set, so that read ends at once too (a plain ReadFile on
// a silent named pipe could only be cancelled once it had begun).
struct ScriptSource::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE readDone = nullptr;   // manual reset: the read under way completed
    HANDLE interrupt = nullptr;  // manual reset: set once, by Interrupt
    std::uint64_t offset = 0;    // where the next read of a file starts; pipes ignore it
};

namespace {

std::wstring Widen(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

bool IsSet(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

}  // namespace

ScriptSource::ScriptSource(const std::string& path) : impl_(std::make_unique<Impl>()) {
    impl_->readDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    impl_->interrupt = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (impl_->readDone == nullptr || impl_->interrupt == nullptr) {
        return;  // not open: Read returns 0
    }
    const std::wstring wide = Widen(path);
    // Where the path names a named pipe, its server may learn who reads it, but never act as
    // the desk's user (without these flags a pipe's server may impersonate its client fully).
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT |
                        SECURITY_IDENTIFICATION;
    for (int attempt = 0; attempt < 2; ++attempt) {
        impl_->file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, flags, nullptr);
        // A named pipe whose every instance is busy: wait for one, as a FIFO's reader would.
        if (impl_->file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_PIPE_BUSY ||
            !WaitNamedPipeW(wide.c_str(), NMPWAIT_WAIT_FOREVER)) {
            break;
        }
    }
}

ScriptSource::~ScriptSource() {
    for (HANDLE handle : {impl_->file, impl_->readDone, impl_->interrupt}) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
}

bool ScriptSource::isOpen() const {
    return impl_->file != INVALID_HANDLE_VALUE;
}

std::size_t ScriptSource::Read(std::span<char> buffer) {
    if (impl_->file == INVALID_HANDLE_VALUE || IsSet(impl_->interrupt)) {
        return 0;
    }
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(impl_->offset);
    overlapped.OffsetHigh = static_cast<DWORD>(impl_->offset >> 32);
    overlapped.hEvent = impl_->readDone;
    ResetEvent(impl_->readDone);
    if (!ReadFile(impl_->file, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                  &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) {
            return 0;  // the end of the file, a pipe whose writer closed it, or an error
        }
        const HANDLE events[] = {impl_->readDone, impl_->interrupt};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(impl_->file, &overlapped);
        }
    }
    // Waits for the read to be over, cancelled or not: the buffer is never written later.
    DWORD got = 0;
    if (!GetOverlappedResult(impl_->file, &overlapped, &got, TRUE) || IsSet(impl_->interrupt)) {
        return 0;
    }
    impl_->offset += got;
    return got;
}

void ScriptSource::Interrupt() {
    if (impl_->interrupt != nullptr) {
        SetEvent(impl_->interrupt);
    }
}

}  // namespace ondrel
