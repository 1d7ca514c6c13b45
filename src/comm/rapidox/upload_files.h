#pragma once
// The local files of an upload, read by their real paths. The name sent in the header is
// the last component of the path in Shift_JIS, or a name the caller chose (the patrol
// sends upper-cased names).

#include <filesystem>
#include <string>
#include <vector>

#include "comm/rapidox/upload_source.h"
#include "store/texts.h"

namespace morvaline::rapidox {

struct UploadFile {
    std::filesystem::path path;
    std::string sendName;  // Shift_JIS; empty = the file name of the path
};

class UploadFiles : public UploadSource {
public:
    explicit UploadFiles(std::vector<UploadFile> files) : files_(std::move(files)) {}
    ~UploadFiles() override;
    UploadFiles(const UploadFiles&) = delete;
    UploadFiles& operator=(const UploadFiles&) = delete;

    std::size_t fileCount() const override { return files_.size(); }
    std::optional<FileHeader> open(std::size_t index) override;
    bool seek(std::int64_t offset) override;
    bool read(std::string& block) override;
    void close() override;
    std::string error() const override { return error_; }

private:
    bool fail(const Text& text);

    std::vector<UploadFile> files_;
    std::size_t current_ = 0;
    int fd_ = -1;
    // The file is read ahead in large pieces; blocks are taken from here.
    std::string ahead_;
    std::size_t aheadPos_ = 0;
    std::string error_;
};

}  // namespace morvaline::rapidox
