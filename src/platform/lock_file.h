#pragma once
// An exclusive lock on a file, held while the object lives: one writer per data set.

#include <filesystem>

namespace morvaline {

class LockFile {
public:
    LockFile() = default;
    ~LockFile() { release(); }
    LockFile(LockFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    LockFile& operator=(LockFile&& other) noexcept;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // False when another process holds the lock or the file cannot be created.
    bool acquire(const std::filesystem::path& file);
    void release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace morvaline
