#pragma once
// A lock on a folder or file, held while the object lives: one writer per data set, or
// any number of readers. The lock is taken on the path itself, opened for reading, so
// that a folder that cannot be written can still be locked by its readers.

#include <filesystem>

namespace morvaline {

class LockFile {
public:
    enum class Mode { Exclusive, Shared };
    enum class Result {
        Acquired,
        Held,    // another process holds a lock that excludes this one
        Failed,  // the path cannot be opened; error() holds errno
    };

    LockFile() = default;
    ~LockFile() { release(); }
    LockFile(LockFile&& other) noexcept : fd_(other.fd_), error_(other.error_) { other.fd_ = -1; }
    LockFile& operator=(LockFile&& other) noexcept;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    Result acquire(const std::filesystem::path& path, Mode mode = Mode::Exclusive);
    void release();
    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace morvaline
