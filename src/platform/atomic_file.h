#pragma once
// Replacing a file without ever leaving a half-written one: the new contents go to a
// temporary file in the same folder, are flushed to disk, and are renamed over the old
// file only when complete. Files are created with mode 0600.

#include <filesystem>
#include <string>
#include <string_view>

namespace morvaline {

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();  // discards the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false with error() set on failure.
    bool open();
    bool write(std::string_view bytes);
    // Flushes and closes the temporary file; after it only commit() or discard remain.
    bool finish();
    // Renames the finished temporary file over the target.
    bool commit();
    const std::string& error() const { return error_; }
    const std::filesystem::path& target() const { return target_; }

private:
    bool fail(const char* what);

    std::filesystem::path target_;
    std::string tempPath_;
    int fd_ = -1;
    bool finished_ = false;
    bool committed_ = false;
    std::string error_;
};

// Writes a whole file atomically; false with *error set on failure (the old file stays).
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file; false when it cannot be read.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes);

// Writes all bytes to an open descriptor, again after an interrupted or short write; false
// with errno set when a write fails.
bool writeWhole(int fd, std::string_view bytes);

// Creates a folder and its missing parents with mode 0700; true when it exists afterwards.
bool makePrivateDirectories(const std::filesystem::path& dir);

// True when a file can be created in the folder (tried with a file that is removed at
// once); otherwise false with the system's reason.
bool folderWritable(const std::filesystem::path& dir, std::string* reason = nullptr);

// The first of "name", "stem (2).ext", "stem (3).ext" ... in folder that does not exist
// yet, so that saving never overwrites a file; empty when all are taken.
std::filesystem::path freeFileName(const std::filesystem::path& folder, const std::string& fileName);

}  // namespace morvaline
