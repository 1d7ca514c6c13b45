#include "platform/private_temp.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <system_error>

namespace morvaline {

PrivateTempFile::~PrivateTempFile() {
    release();
}

PrivateTempFile::PrivateTempFile(PrivateTempFile&& other) noexcept {
    *this = std::move(other);
}

PrivateTempFile& PrivateTempFile::operator=(PrivateTempFile&& other) noexcept {
    if (this != &other) {
        release();
        folder_ = std::move(other.folder_);
        path_ = std::move(other.path_);
        fd_ = other.fd_;
        error_ = std::move(other.error_);
        other.folder_.clear();
        other.path_.clear();
        other.fd_ = -1;
    }
    return *this;
}

void PrivateTempFile::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    folder_.clear();
    path_.clear();
}

bool PrivateTempFile::create(std::string_view name) {
    release();
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
        error_ = "bad temporary file name";
        return false;
    }
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "morvaline-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        error_ =
            "cannot create a temporary folder in " + base.string() + ": " + std::strerror(errno);
        return false;
    }
    folder_ = pattern;
    path_ = folder_ / std::string(name);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        error_ = "cannot create " + path_.string() + ": " + std::strerror(errno);
        release();
        return false;
    }
    return true;
}

bool PrivateTempFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = fd_ < 0 ? -1 : ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (fd_ >= 0 && errno == EINTR) continue;
            error_ =
                "cannot write " + path_.string() + ": " + std::strerror(fd_ < 0 ? EBADF : errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool PrivateTempFile::close() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        error_ = "cannot write " + path_.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace morvaline
