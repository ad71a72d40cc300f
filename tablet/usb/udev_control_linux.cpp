#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tablet/usb/device_watch.h"

namespace ondrel {

UdevControlSocket ProbeUdevControlSocket(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        return UdevControlSocket::Missing;
    }
    if (!S_ISSOCK(status.st_mode)) {
        return UdevControlSocket::NotASocket;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof(address.sun_path)) {
        return UdevControlSocket::NotASocket;
    }
    std::strcpy(address.sun_path, path);
    // udev's control socket is a sequenced-packet socket; connecting to a socket of another
    // type fails with EPROTOTYPE, which still shows that someone listens on it.
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return UdevControlSocket::Accepted;  // cannot tell: trust the socket
    }
    const int connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    const int error = connected == 0 ? 0 : errno;
    close(fd);
    switch (error) {
        case 0:
        case EAGAIN:  // the daemon's backlog is full: it is there
        case EINPROGRESS:
        case EPROTOTYPE:
            return UdevControlSocket::Accepted;
        case EACCES:
        case EPERM:
            return UdevControlSocket::NoAccess;
        case ECONNREFUSED:
            return UdevControlSocket::Refused;
        case ENOENT:
            return UdevControlSocket::Missing;
        default:
            return UdevControlSocket::Accepted;  // cannot tell: trust the socket
    }
}

}  // namespace ondrel
