#include "comm/capture_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

const Text* CaptureLog::open(const std::filesystem::path& path, std::int64_t maxBytes, int keep) {
    close();
    path_ = path;
    maxBytes_ = std::max<std::int64_t>(maxBytes, 1);
    keep_ = std::max(keep, 0);
    reason_.clear();
    if (path.has_parent_path() && !makePrivateDirectories(path.parent_path()))
        return &texts::kLogOpenFailed;
    return openFile() ? nullptr : &texts::kLogOpenFailed;
}

bool CaptureLog::openFile() {
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    // Others are kept from writing the same log meanwhile, as a second connection would.
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        reason_ = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) {
        reason_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = end;
    return true;
}

bool CaptureLog::rotate() {
    close();
    const auto aside = [this](int n) { return path_.string() + "." + std::to_string(n); };
    std::error_code ec;
    if (keep_ == 0) {
        std::filesystem::remove(path_, ec);
    } else {
        for (int n = keep_ - 1; n >= 1; --n)
            if (std::filesystem::exists(aside(n), ec)) std::filesystem::rename(aside(n), aside(n + 1), ec);
        std::filesystem::rename(path_, aside(1), ec);
    }
    if (ec) {
        reason_ = ec.message();
        return false;
    }
    return openFile();
}

const Text* CaptureLog::write(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        if (size_ >= maxBytes_ && !rotate()) return &texts::kLogWriteFailed;
        const auto room = static_cast<std::size_t>(std::min<std::int64_t>(
            maxBytes_ - size_, static_cast<std::int64_t>(bytes.size())));
        const ssize_t written = ::write(fd_, bytes.data(), room);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            reason_ = std::strerror(written < 0 ? errno : ENOSPC);
            close();
            return &texts::kLogWriteFailed;
        }
        size_ += written;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return nullptr;
}

void CaptureLog::close() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    fd_ = -1;
}

}  // namespace morvaline
