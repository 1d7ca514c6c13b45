#include "platform/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace morvaline {

LockFile& LockFile::operator=(LockFile&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = other.fd_;
        error_ = other.error_;
        other.fd_ = -1;
    }
    return *this;
}

LockFile::Result LockFile::acquire(const std::filesystem::path& path, Mode mode) {
    release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error_ = errno;
        return Result::Failed;
    }
    if (::flock(fd, (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
        error_ = errno;
        ::close(fd);
        return error_ == EWOULDBLOCK ? Result::Held : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void LockFile::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace morvaline
