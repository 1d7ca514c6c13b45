#pragma once
// The capture log: everything the receive filter passes on while the line is up
// (Telnet trace lines included) appended unchanged to a file in the user's log folder.
// Opened when the line comes up, closed when it goes down. A failure never touches the
// connection: it is reported and logging stops for this connection.
//
// A file never grows beyond its cap: at the cap it moves aside to "NAME.1" (the older ones
// to "NAME.2" ... up to the number kept, the oldest dropped) and a new file begins, so that
// a host cannot fill the disk through the log, even with one endless line.

#include <cstdint>
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
    std::int64_t maxBytes = kDefaultMaxBytes;  // per file
    int keep = kDefaultKeep;                   // older files kept beside the current one

    static constexpr std::int64_t kDefaultMaxBytes = 16 << 20;
    static constexpr int kDefaultKeep = 3;
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
    // and keeps other writers out while it is open. maxBytes and keep bound the files as
    // described above. On failure returns the report to show, with the file's name for "%1"
    // (the log stays closed); null on success.
    const Text* open(const std::filesystem::path& path,
                     std::int64_t maxBytes = CaptureLogSettings::kDefaultMaxBytes,
                     int keep = CaptureLogSettings::kDefaultKeep);
    bool isOpen() const { return fd_ >= 0; }
    const std::filesystem::path& path() const { return path_; }
    // The system's reason for the last failure ("No space left on device" ...).
    const std::string& reason() const { return reason_; }

    // Appends bytes. A write error (a full disk) closes the log and returns the report to
    // show, with the file for "%1" and reason() for "%2".
    const Text* write(std::string_view bytes);
    void close();

private:
    // Opens path_ and locks it; false with reason_ set on failure.
    bool openFile();
    // Moves the full file aside and begins a new one.
    bool rotate();

    int fd_ = -1;
    std::filesystem::path path_;
    std::int64_t maxBytes_ = CaptureLogSettings::kDefaultMaxBytes;
    int keep_ = CaptureLogSettings::kDefaultKeep;
    std::int64_t size_ = 0;
    std::string reason_;
};

}  // namespace morvaline
