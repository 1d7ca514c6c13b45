#pragma once
// The files of a download, written into one folder. Names from the line are reduced to a
// safe base name (download_name.h); a file is opened relative to the folder, never
// through a symbolic link, and must be a plain file of its own.
//
// A file comes down as "NAME.part" and is renamed to NAME once it is complete, so that a
// file under its own name is always whole. A part left by a download that broke off (a
// lost line, a full disk) is what the next download of the name resumes.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "comm/rapidox/download_sink.h"
#include "platform/file_time.h"
#include "store/texts.h"

namespace morvaline::rapidox {

struct DownloadedFile {
    std::filesystem::path path;  // the file when complete, else its part
    bool complete = false;       // false: the part is kept for the next download to resume
};

class DownloadFolder : public DownloadSink {
public:
    // localNow gives the current local time for the parts of a file time that a header
    // leaves out; the default reads the system clock.
    explicit DownloadFolder(std::filesystem::path folder,
                            std::function<LocalTimeFields()> localNow = {});
    ~DownloadFolder() override;
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    std::optional<std::int64_t> open(const FileHeader& header) override;
    bool write(std::string_view block) override;
    bool flush() override;
    bool complete(const FileHeader& header) override;
    void keepPartial() override;
    std::string error() const override { return error_; }

    // Every file the download opened, in order.
    const std::vector<DownloadedFile>& files() const { return files_; }

private:
    bool openFolder();
    int openPart(const std::string& name);
    int openNumberedDefault(std::string& name);
    // True when nothing but a plain file of its own stands under the name.
    bool mayReplace(const std::string& name) const;
    void closeFile(bool complete);
    // Sets error() to the text with the path; always false.
    bool fail(const std::filesystem::path& path, const Text& text = texts::kCannotOpenFile);

    std::filesystem::path folder_;
    std::function<LocalTimeFields()> localNow_;
    int folderFd_ = -1;
    int fd_ = -1;
    std::string name_;     // the final name of the file being received
    std::string pending_;  // blocks received and not yet written
    std::vector<DownloadedFile> files_;
    std::string error_;
};

}  // namespace morvaline::rapidox
