#include "platform/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace morvaline {

LockFile& LockFile::operator=(LockFile&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool LockFile::acquire(const std::filesystem::path& file) {
    release();
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void LockFile::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace morvaline
