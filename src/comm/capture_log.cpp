#include "comm/capture_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file.h"

namespace morvaline {

std::filesystem::path captureLogPath(const CaptureLogSettings& settings,
                                     const LocalTimeFields& now) {
    switch (settings.mode) {
        case CaptureLogSettings::Mode::Off:
            return {};
        case CaptureLogSettings::Mode::SameFile:
            return settings.directory / settings.fileName;
        case CaptureLogSettings::Mode::Dated: {
            char date[16];
            std::snprintf(date, sizeof date, "%02u%02u%02u", static_cast<unsigned>(now.year % 100),
                          static_cast<unsigned>(now.month), static_cast<unsigned>(now.day));
            return settings.directory / (settings.prefix + date + ".LOG");
        }
    }
    return {};
}

CaptureLog::~CaptureLog() {
    close();
}

const Text* CaptureLog::open(const std::filesystem::path& path) {
    close();
    path_ = path;
    if (path.has_parent_path() && !makePrivateDirectories(path.parent_path()))
        return &texts::kLogOpenFailed;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return &texts::kLogOpenFailed;
    // Others are kept from writing the same log meanwhile, as a second connection would.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return &texts::kLogOpenFailed;
    }
    if (::lseek(fd, 0, SEEK_END) < 0) {
        ::close(fd);
        return &texts::kListWriteFailed;
    }
    fd_ = fd;
    return nullptr;
}

const Text* CaptureLog::write(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            close();
            return &texts::kListWriteFailed;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return nullptr;
}

void CaptureLog::close() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    fd_ = -1;
}

}  // namespace morvaline
