#pragma once
// A temporary file that nobody else can reach: a folder of its own under $TMPDIR (created
// with a random name, mode 0700) holding one file of the caller's name, created exclusively
// with mode 0600. Both go when the object goes.

#include <filesystem>
#include <string>
#include <string_view>

namespace morvaline {

class PrivateTempFile {
public:
    PrivateTempFile() = default;
    ~PrivateTempFile();
    PrivateTempFile(PrivateTempFile&& other) noexcept;
    PrivateTempFile& operator=(PrivateTempFile&& other) noexcept;
    PrivateTempFile(const PrivateTempFile&) = delete;
    PrivateTempFile& operator=(const PrivateTempFile&) = delete;

    // Creates the folder and the file (a plain name, no folders); false with error() set.
    bool create(std::string_view name);
    bool write(std::string_view bytes);
    // Closes the file for reading by others; false when it could not be written completely.
    bool close();
    const std::filesystem::path& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    void release();

    std::filesystem::path folder_;
    std::filesystem::path path_;
    int fd_ = -1;
    std::string error_;
};

}  // namespace morvaline
