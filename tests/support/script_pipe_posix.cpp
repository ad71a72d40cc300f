#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/script_pipe.h"

namespace ondrel::test {

// Opened for reading and writing, so that opening never waits for a reader and the FIFO's
// buffer keeps what no reader has taken yet.
struct ScriptPipe::Impl {
    std::filesystem::path path;
    int fd = -1;
};

ScriptPipe::ScriptPipe(const std::filesystem::path& folder) : impl_(std::make_unique<Impl>()) {
    impl_->path = folder / "tablet.fifo";
    if (mkfifo(impl_->path.c_str(), 0600) == 0) {
        impl_->fd = open(impl_->path.c_str(), O_RDWR | O_CLOEXEC);
    }
}

ScriptPipe::~ScriptPipe() {
    if (impl_->fd >= 0) {
        close(impl_->fd);
    }
}

bool ScriptPipe::isOpen() const {
    return impl_->fd >= 0;
}

std::string ScriptPipe::path() const {
    return impl_->path.string();
}

bool ScriptPipe::Send(const std::string& lines) {
    return impl_->fd >= 0 &&
           write(impl_->fd, lines.data(), lines.size()) == static_cast<ssize_t>(lines.size());
}

}  // namespace ondrel::test
