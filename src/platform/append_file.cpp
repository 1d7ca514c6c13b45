#include "platform/append_file.h"

#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvaline {

AppendFile::~AppendFile() {
    if (!committed_) takeBack();
}

bool AppendFile::fail(const char* what) {
    error_ = std::string(what) + " " + target_.string() + ": " + std::strerror(errno);
    return false;
}

bool AppendFile::open() {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0 && errno == ENOENT) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        created_ = fd_ >= 0;
    }
    if (fd_ < 0) return fail("cannot open");
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return fail("cannot open");
    oldLength_ = st.st_size;
    return true;
}

bool AppendFile::write(std::string_view bytes) {
    if (fd_ < 0) {
        errno = EBADF;
        return fail("cannot write");
    }
    return writeWhole(fd_, bytes) || fail("cannot write");
}

bool AppendFile::commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return fail("cannot finish");
    }
    if (::fsync(fd_) != 0) return fail("cannot flush");
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail("cannot close");
    committed_ = true;
    return true;
}

void AppendFile::takeBack() {
    if (created_) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        ::unlink(target_.c_str());
        return;
    }
    if (fd_ < 0) fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    if (::ftruncate(fd_, static_cast<off_t>(oldLength_)) == 0) (void)::fsync(fd_);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace morvaline
