#include <windows.h>

#include <atomic>
#include <string>

#include "tablet/sim/script_source.h"

namespace ondrel {

// The path comes from the environment in the system's code page. A named pipe
// (\\.\pipe\NAME) blocks in ReadFile while its writer is silent; Interrupt cancels that read.
struct ScriptSource::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::atomic<bool> interrupted{false};
};

namespace {

std::wstring Widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

}  // namespace

ScriptSource::ScriptSource(const std::string& path) : impl_(std::make_unique<Impl>()) {
    const std::wstring wide = Widen(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        impl_->file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        // A named pipe whose every instance is busy: wait for one, as a FIFO's reader would.
        if (impl_->file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_PIPE_BUSY ||
            !WaitNamedPipeW(wide.c_str(), NMPWAIT_WAIT_FOREVER)) {
            break;
        }
    }
}

ScriptSource::~ScriptSource() {
    if (impl_->file != INVALID_HANDLE_VALUE) {
        CloseHandle(impl_->file);
    }
}

bool ScriptSource::isOpen() const {
    return impl_->file != INVALID_HANDLE_VALUE;
}

std::size_t ScriptSource::Read(std::span<char> buffer) {
    if (impl_->interrupted || impl_->file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD got = 0;
    if (!ReadFile(impl_->file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
        return 0;  // the end of a pipe (its writer closed it), an error, or a cancelled read
    }
    return impl_->interrupted ? 0 : got;
}

void ScriptSource::Interrupt() {
    impl_->interrupted = true;
    if (impl_->file != INVALID_HANDLE_VALUE) {
        CancelIoEx(impl_->file, nullptr);
    }
}

}  // namespace ondrel
