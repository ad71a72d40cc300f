#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "tablet/usb/device_watch.h"
#include "tests/support/temp_folder.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

// A Unix socket at `path` of the given type, listening or not; -1 when it cannot be made.
int BindSocket(const fs::path& path, int type, bool listening) {
    const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        (listening && listen(fd, 4) != 0)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    return fd;
}

class UdevControlProbe : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const int fd : fds_) {
            close(fd);
        }
    }
    fs::path Socket(int type, bool listening) {
        const fs::path path = folder_.path() / "control";
        const int fd = BindSocket(path, type, listening);
        EXPECT_GE(fd, 0) << path;
        fds_.push_back(fd);
        return path;
    }

    test::TempFolder folder_;
    std::vector<int> fds_;
};

TEST_F(UdevControlProbe, NoFileOrAnotherKindOfFileMeansNoDaemon) {
    const fs::path control = folder_.path() / "control";
    EXPECT_EQ(ProbeUdevControlSocket(control.c_str()), UdevControlSocket::Missing);
    folder_.Write("control", "not a socket");
    EXPECT_EQ(ProbeUdevControlSocket(control.c_str()), UdevControlSocket::NotASocket);
}

TEST_F(UdevControlProbe, AListeningSocketIsADaemon) {
    EXPECT_EQ(ProbeUdevControlSocket(Socket(SOCK_SEQPACKET, true).c_str()),
              UdevControlSocket::Accepted);
}

TEST_F(UdevControlProbe, ASocketOfAnotherTypeStillShowsSomeoneListens) {
    EXPECT_EQ(ProbeUdevControlSocket(Socket(SOCK_STREAM, true).c_str()),
              UdevControlSocket::Accepted);
}

TEST_F(UdevControlProbe, ASocketLeftBehindByAnEndedDaemonIsNoDaemon) {
    const fs::path path = Socket(SOCK_SEQPACKET, true);
    close(fds_.back());  // the daemon ends; its socket file stays
    fds_.pop_back();
    ASSERT_TRUE(fs::is_socket(path));
    EXPECT_EQ(ProbeUdevControlSocket(path.c_str()), UdevControlSocket::Refused);
}

}  // namespace
}  // namespace ondrel
