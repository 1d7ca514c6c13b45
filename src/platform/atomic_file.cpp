#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <system_error>

namespace morvaline {

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty() && !committed_) ::unlink(tempPath_.c_str());
}

bool AtomicFile::fail(const char* what) {
    error_ = std::string(what) + " " + target_.string() + ": " + std::strerror(errno);
    return false;
}

bool AtomicFile::open() {
    std::string pattern = target_.string() + ".tmpXXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) return fail("cannot create a temporary file for");
    tempPath_ = pattern;
    ::fchmod(fd_, 0600);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (fd_ < 0) {
        errno = EBADF;
        return fail("cannot write");
    }
    return writeWhole(fd_, bytes) || fail("cannot write");
}

bool writeWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool AtomicFile::finish() {
    if (fd_ < 0) {
        errno = EBADF;
        return fail("cannot finish");
    }
    const bool synced = ::fsync(fd_) == 0;
    const int fd = fd_;
    fd_ = -1;
    if (!synced) {
        ::close(fd);
        return fail("cannot flush");
    }
    if (::close(fd) != 0) return fail("cannot close");
    finished_ = true;
    return true;
}

bool AtomicFile::commit() {
    if (!finished_ && !finish()) return false;
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) return fail("cannot replace");
    committed_ = true;
    // Make the rename itself durable.
    const std::string dir = target_.has_parent_path() ? target_.parent_path().string() : ".";
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error) {
    AtomicFile file(target);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error) *error = file.error();
    return ok;
}

bool readWholeFile(const std::filesystem::path& path, std::string& bytes) {
    // A folder opens as a stream whose end lies far beyond any file.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0);
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), size);
    return static_cast<std::streamoff>(in.gcount()) == size;
}

bool folderWritable(const std::filesystem::path& dir, std::string* reason) {
    std::string probe = (dir / ".write-probe-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        if (reason) *reason = std::strerror(errno);
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::filesystem::path freeFileName(const std::filesystem::path& folder, const std::string& fileName) {
    constexpr int kMaxCopies = 999;
    std::filesystem::path path = folder / fileName;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return path;
    const std::size_t dot = fileName.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? fileName.substr(0, dot) : fileName;
    const std::string extension = hasExtension ? fileName.substr(dot) : std::string();
    for (int n = 2; n <= kMaxCopies; ++n) {
        path = folder / (stem + " (" + std::to_string(n) + ")" + extension);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return path;
    }
    return {};
}

bool makePrivateDirectories(const std::filesystem::path& dir) {
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    if (dir.has_parent_path() && dir.parent_path() != dir && !dir.parent_path().empty() &&
        !makePrivateDirectories(dir.parent_path()))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return std::filesystem::is_directory(dir, ec);
}

}  // namespace morvaline
