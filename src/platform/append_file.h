#pragma once
// Adding to the end of a file without ever leaving a half-added part: what was written is
// flushed and kept only on commit; otherwise the file is cut back to its old length (or
// removed again when it did not exist before). Files are created with mode 0600.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace morvaline {

class AppendFile {
public:
    explicit AppendFile(std::filesystem::path target) : target_(std::move(target)) {}
    ~AppendFile();  // takes back what was added unless committed
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens or creates the file; false with error() set on failure.
    bool open();
    bool write(std::string_view bytes);
    // Flushes and closes the file, keeping what was added; false (and taken back) when the
    // flush or close fails.
    bool commit();
    const std::string& error() const { return error_; }
    const std::filesystem::path& target() const { return target_; }

private:
    bool fail(const char* what);
    void takeBack();

    std::filesystem::path target_;
    int fd_ = -1;
    std::int64_t oldLength_ = 0;
    bool created_ = false;
    bool committed_ = false;
    std::string error_;
};

}  // namespace morvaline
