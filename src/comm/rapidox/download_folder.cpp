#include "comm/rapidox/download_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "comm/rapidox/download_name.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/texts.h"

namespace morvaline::rapidox {
namespace {

constexpr int kMaxDefaultNames = 9999;

std::string partOf(const std::string& name) {
    return name + std::string(kPartSuffix);
}

// The header's time with the parts it leaves out taken from `now`; empty when the header
// has no time at all or the result is not a valid local time.
std::optional<std::time_t> headerTime(const FileHeader& h,
                                      const std::function<LocalTimeFields()>& localNow) {
    if (h.year < 0 && h.hour < 0) return std::nullopt;
    LocalTimeFields f = localNow();
    if (h.year >= 0) {
        f.year = h.year;
        f.month = h.month;
        f.day = h.day;
    }
    if (h.hour >= 0) {
        f.hour = h.hour;
        f.minute = h.minute;
        f.second = h.second;
    }
    f.millisecond = 0;
    if (!fileTimeFromFields(f)) return std::nullopt;
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return t;
}

// Blocks are gathered into writes of at most this size.
constexpr std::size_t kWriteBehind = 512 * kBlockData;

}  // namespace

DownloadFolder::DownloadFolder(std::filesystem::path folder,
                               std::function<LocalTimeFields()> localNow)
    : folder_(std::move(folder)), localNow_(std::move(localNow)) {
    if (!localNow_) localNow_ = [] { return fieldsFromFileTime(fileTimeNow()); };
}

DownloadFolder::~DownloadFolder() {
    if (fd_ >= 0) closeFile(false);
    if (folderFd_ >= 0) ::close(folderFd_);
}

bool DownloadFolder::openFolder() {
    if (folderFd_ >= 0) return true;
    if (makePrivateDirectories(folder_))
        folderFd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return folderFd_ >= 0 || fail(folder_);
}

int DownloadFolder::openPart(const std::string& name) {
    // O_NONBLOCK keeps a FIFO planted under the name from blocking the open; the type
    // check afterwards refuses it.
    return ::openat(folderFd_, partOf(name).c_str(),
                    O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
}

int DownloadFolder::openNumberedDefault(std::string& name) {
    for (int n = 1; n <= kMaxDefaultNames; ++n) {
        char text[32];
        std::snprintf(text, sizeof text, "download-%03d", n);
        name = text;
        struct stat st {};
        if (::fstatat(folderFd_, text, &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
        const int fd = ::openat(folderFd_, partOf(name).c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool DownloadFolder::mayReplace(const std::string& name) const {
    struct stat st {};
    if (::fstatat(folderFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

std::optional<std::int64_t> DownloadFolder::open(const FileHeader& header) {
    if (fd_ >= 0) closeFile(false);
    if (!openFolder()) return std::nullopt;
    std::string name = downloadFileName(header.name);
    // A link or anything but a plain file under the name is never replaced.
    const int fd = name.empty() ? openNumberedDefault(name) : mayReplace(name) ? openPart(name) : -1;
    const std::filesystem::path path = folder_ / partOf(name);
    if (fd < 0) {
        fail(folder_ / name);
        return std::nullopt;
    }
    // Only a plain file that has no other name (a hard link could lead outside) is written.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        fail(path);
        return std::nullopt;
    }
    // A shorter part is the rest of an earlier attempt: go on from its last whole block.
    // Anything else is written anew.
    const bool resume = st.st_size < header.size;
    const std::int64_t startBlock = resume ? st.st_size / static_cast<off_t>(kBlockData) : 0;
    if ((!resume && ::ftruncate(fd, 0) != 0) ||
        ::lseek(fd, startBlock * static_cast<off_t>(kBlockData), SEEK_SET) < 0) {
        ::close(fd);
        fail(path);
        return std::nullopt;
    }
    fd_ = fd;
    name_ = name;
    files_.push_back({path, false});
    return startBlock;
}

bool DownloadFolder::write(std::string_view block) {
    pending_ += block;
    return pending_.size() < kWriteBehind || flush();
}

bool DownloadFolder::flush() {
    if (pending_.empty()) return true;
    const bool ok = writeWhole(fd_, pending_);
    pending_.clear();
    return ok || fail(files_.back().path, texts::kListWriteFailed);
}

bool DownloadFolder::complete(const FileHeader& header) {
    bool ok = flush() && ::ftruncate(fd_, header.size) == 0;
    if (ok) {
        if (const auto time = headerTime(header, localNow_)) {
            const timespec times[2] = {{0, UTIME_OMIT}, {*time, 0}};
            ::futimens(fd_, times);  // a time that cannot be set does not spoil the file
        }
    }
    const std::filesystem::path path = files_.back().path;
    closeFile(ok);
    // The whole file takes its name; until then only its part stands in the folder.
    if (!files_.back().complete) return fail(path, texts::kListWriteFailed);
    if (!mayReplace(name_) || ::renameat(folderFd_, partOf(name_).c_str(), folderFd_, name_.c_str()) != 0) {
        files_.back().complete = false;
        return fail(folder_ / name_, texts::kListWriteFailed);
    }
    files_.back().path = folder_ / name_;
    return true;
}

void DownloadFolder::keepPartial() {
    if (fd_ >= 0) closeFile(false);
}

void DownloadFolder::closeFile(bool complete) {
    // Blocks still waiting are written first: a partial file keeps every block received.
    if (!pending_.empty()) flush();
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    files_.back().complete = complete && closed;
}

bool DownloadFolder::fail(const std::filesystem::path& path, const Text& text) {
    error_ = formatText(text, utf8ToSjis(path.string()));
    return false;
}

}  // namespace morvaline::rapidox
