#include "runtime/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::FILE* refuse(const char* why, char* reason, std::size_t size, int fd = -1) {
    if (fd >= 0) ::close(fd);
    if (reason && size > 0) std::snprintf(reason, size, "%s", why);
    return nullptr;
}

const char* kindRefused(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
    if (S_ISSOCK(mode)) return "a socket, not a file";
    return nullptr;
}

}  // namespace

std::FILE* OpenFileForReading(const char* path, char* reason, std::size_t size) {
    struct stat node {};
    if (!path || ::stat(path, &node) != 0) return refuse(std::strerror(errno), reason, size);
    if (const char* why = kindRefused(node.st_mode)) return refuse(why, reason, size);
    // Without O_NONBLOCK, opening a FIFO waits until something opens it for writing.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(std::strerror(errno), reason, size);
    int first = EOF;
    if (S_ISFIFO(node.st_mode)) {
        // An empty pipe reads 0 when nothing writes to it, and EAGAIN while a writer is there;
        // a byte that is there already is taken and given back below.
        unsigned char byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 0) return refuse("a named pipe that nothing is writing to", reason, size, fd);
        if (n < 0 && errno != EAGAIN) return refuse(std::strerror(errno), reason, size, fd);
        if (n == 1) first = byte;
    }
    // From here a read waits for what a live writer still sends, as a file read would.
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        return refuse(std::strerror(errno), reason, size, fd);
    std::FILE* file = ::fdopen(fd, "r");
    if (!file) return refuse(std::strerror(errno), reason, size, fd);
    if (first != EOF) std::ungetc(first, file);
    return file;
}
