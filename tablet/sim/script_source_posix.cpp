#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

#include "tablet/sim/script_source.h"

namespace ondrel {

// A self-pipe wakes a poll that waits for a silent FIFO.
struct ScriptSource::Impl {
    int fd = -1;
    int stopRead = -1;
    int stopWrite = -1;
    std::atomic<bool> interrupted{false};
};

ScriptSource::ScriptSource(const std::string& path) : impl_(std::make_unique<Impl>()) {
    int stop[2];
    if (pipe2(stop, O_CLOEXEC) == 0) {
        impl_->stopRead = stop[0];
        impl_->stopWrite = stop[1];
    }
    impl_->fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

ScriptSource::~ScriptSource() {
    for (int fd : {impl_->fd, impl_->stopRead, impl_->stopWrite}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool ScriptSource::isOpen() const {
    return impl_->fd >= 0;
}

std::size_t ScriptSource::Read(std::span<char> buffer) {
    Impl& d = *impl_;
    for (;;) {
        if (d.interrupted || d.fd < 0) {
            return 0;
        }
        std::array<pollfd, 2> fds{pollfd{d.fd, POLLIN, 0}, pollfd{d.stopRead, POLLIN, 0}};
        if (poll(fds.data(), d.stopRead >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 0;
        }
        if (fds[1].revents != 0) {
            return 0;
        }
        const ssize_t got = read(d.fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
}

void ScriptSource::Interrupt() {
    impl_->interrupted = true;
    if (impl_->stopWrite >= 0) {
        [[maybe_unused]] const ssize_t written = write(impl_->stopWrite, "x", 1);
    }
}

}  // namespace ondrel
