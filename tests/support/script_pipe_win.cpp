#include <windows.h>

#include <mutex>
#include <random>
#include <thread>

#include "tests/support/script_pipe.h"

namespace ondrel::test {

namespace {

HANDLE NewInstance(const std::string& name) {
    return CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                            PIPE_UNLIMITED_INSTANCES, 65536, 0, 0, nullptr);
}

void Close(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
        CloseHandle(handle);
    }
    handle = INVALID_HANDLE_VALUE;
}

}  // namespace

// A named pipe has no buffer of its own between readers: a thread serves it. One instance always
// listens, so that a reader never finds the pipe busy or gone; the latest reader to connect gets
// what is sent, and what could not be written waits for the next one.
struct ScriptPipe::Impl {
    std::string name;
    HANDLE listening = INVALID_HANDLE_VALUE;
    HANDLE current = INVALID_HANDLE_VALUE;
    HANDLE connected = nullptr;  // the listening instance's connect completed (manual reset)
    HANDLE wake = nullptr;       // something to send, or the end (auto reset)
    std::mutex mutex;
    std::string pending;
    bool stopping = false;
    std::thread server;

    bool Listen() {
        ResetEvent(connected);
        OVERLAPPED& request = connectRequest;
        request = OVERLAPPED{};
        request.hEvent = connected;
        if (ConnectNamedPipe(listening, &request)) {
            SetEvent(connected);
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            SetEvent(connected);
        }
        return error == ERROR_IO_PENDING || error == ERROR_PIPE_CONNECTED;
    }

    bool WriteCurrent(const std::string& bytes) {
        OVERLAPPED request{};
        request.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD written = 0;
        bool done = WriteFile(current, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                              &request) != 0;
        if (done || GetLastError() == ERROR_IO_PENDING) {
            done = GetOverlappedResult(current, &request, &written, TRUE) != 0 &&
                   written == bytes.size();
        }
        CloseHandle(request.hEvent);
        return done;
    }

    void Serve() {
        for (;;) {
            const HANDLE events[2] = {connected, wake};
            const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (which == WAIT_OBJECT_0) {
                // A reader came: it takes over from the last one, and a new instance listens.
                Close(current);
                current = listening;
                listening = NewInstance(name);
                if (listening == INVALID_HANDLE_VALUE || !Listen()) {
                    ResetEvent(connected);
                }
            } else if (which != WAIT_OBJECT_0 + 1) {
                return;
            }
            std::string bytes;
            {
                std::lock_guard lock(mutex);
                if (stopping) {
                    return;
                }
                if (current == INVALID_HANDLE_VALUE || pending.empty()) {
                    continue;
                }
                bytes.swap(pending);
            }
            if (!WriteCurrent(bytes)) {
                Close(current);  // that reader has gone: the lines wait for the next one
                std::lock_guard lock(mutex);
                pending.insert(0, bytes);
            }
        }
    }

    OVERLAPPED connectRequest{};
};

ScriptPipe::ScriptPipe(const std::filesystem::path& /*folder*/) : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.name = "\\\\.\\pipe\\ondrel-test-script-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(std::random_device{}());
    d.connected = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    d.wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // The first instance is there before the constructor returns, for a reader that comes at once.
    d.listening = NewInstance(d.name);
    if (d.listening == INVALID_HANDLE_VALUE || !d.Listen()) {
        Close(d.listening);
        return;
    }
    d.server = std::thread([&d] { d.Serve(); });
}

ScriptPipe::~ScriptPipe() {
    Impl& d = *impl_;
    if (d.server.joinable()) {
        {
            std::lock_guard lock(d.mutex);
            d.stopping = true;
        }
        SetEvent(d.wake);
        d.server.join();
    }
    if (d.listening != INVALID_HANDLE_VALUE) {
        CancelIoEx(d.listening, &d.connectRequest);
        DWORD ignored = 0;
        GetOverlappedResult(d.listening, &d.connectRequest, &ignored, TRUE);
    }
    Close(d.listening);
    Close(d.current);
    Close(d.connected);
    Close(d.wake);
}

bool ScriptPipe::isOpen() const {
    return impl_->server.joinable();
}

std::string ScriptPipe::path() const {
    return impl_->name;
}

bool ScriptPipe::Send(const std::string& lines) {
    if (!isOpen()) {
        return false;
    }
    {
        std::lock_guard lock(impl_->mutex);
        impl_->pending += lines;
    }
    return SetEvent(impl_->wake) != 0;
}

}  // namespace ondrel::test
