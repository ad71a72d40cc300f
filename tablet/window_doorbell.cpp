#include "tablet/window_doorbell.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <system_error>

namespace ondrel {

WindowThreadDoorbell::WindowThreadDoorbell(std::function<void()> handler)
    : handler_(std::move(handler)) {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Drain(); });
}

WindowThreadDoorbell::~WindowThreadDoorbell() {
    notifier_.reset();
    close(readFd_);
    close(writeFd_);
}

void WindowThreadDoorbell::Ring() {
    const char byte = 1;
    // A full pipe already means "rung": the handler will run and see everything.
    [[maybe_unused]] const ssize_t written = write(writeFd_, &byte, 1);
}

void WindowThreadDoorbell::Drain() {
    std::array<char, 256> bytes;
    while (read(readFd_, bytes.data(), bytes.size()) > 0) {
    }
    handler_();
}

}  // namespace ondrel
