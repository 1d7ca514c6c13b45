#pragma once
// The capture log: everything the receive filter passes on while the line is up
// (Telnet trace lines included) appended unchanged to a file in the user's log folder.
// Opened when the line comes up, closed when it goes down. A failure never touches the
// connection: it is reported and logging stops for this connection.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/file_time.h"
#include "store/texts.h"

namespace morvaline {

struct CaptureLogSettings {
    enum class Mode : int {
        Off = 0,       // no log
        SameFile = 1,  // always the same file, appended to
        Dated = 2,     // one file per day: prefix + YYMMDD + ".LOG"
    };
    Mode mode = Mode::SameFile;
    std::string fileName = "LUDRIX.LOG";  // SameFile
    std::string prefix = "LD";            // Dated
    std::filesystem::path directory;      // the user's log folder
};

// The file the log goes to when a connection comes up at the given local time; empty in
// mode Off.
std::filesystem::path captureLogPath(const CaptureLogSettings& settings,
                                     const LocalTimeFields& now);

class CaptureLog {
public:
    CaptureLog() = default;
    ~CaptureLog();
    CaptureLog(const CaptureLog&) = delete;
    CaptureLog& operator=(const CaptureLog&) = delete;

    // Opens the file for appending, creating it (0600) and its folder (0700) when missing,
    // and keeps other writers out while it is open. On failure returns the report to show,
    // with the file's name for "%1" (the log stays closed); null on success.
    const Text* open(const std::filesystem::path& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::filesystem::path& path() const { return path_; }

    // Appends bytes. A write error closes the log and returns the report to show.
    const Text* write(std::string_view bytes);
    void close();

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace morvaline
