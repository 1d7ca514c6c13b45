// The message text file of a message list: texts appended one after another, each found
// again by its item's offset and length.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "store/item_array.h"

namespace morvaline {

void CItemArray::keepTextFileOpen(bool keep) {
    std::lock_guard lock(fileLock_);
    keepTextOpen_ = std::max(0, keepTextOpen_ + (keep ? 1 : -1));
    if (keepTextOpen_ == 0 && appendFd_ >= 0) {
        ::close(appendFd_);
        appendFd_ = -1;
    }
}

std::optional<std::int64_t> CItemArray::appendText(std::string_view bytes) {
    std::lock_guard lock(fileLock_);
    if (textFile_.empty()) return std::nullopt;
    const int fd = appendFd_ >= 0 ? appendFd_
                                  : ::open(textFile_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return std::nullopt;
    if (keepTextOpen_ > 0) appendFd_ = fd;
    struct stat st {};
    std::optional<std::int64_t> offset;
    if (::fstat(fd, &st) == 0) {
        offset = st.st_size;
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                // Take back a partial text so that the next one starts at a known offset.
                if (::ftruncate(fd, st.st_size) != 0) {}
                offset.reset();
                break;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    if (fd != appendFd_) ::close(fd);
    return offset;
}

std::optional<std::string> CItemArray::readText(std::int64_t offset, std::int64_t length) {
    std::lock_guard lock(fileLock_);
    if (textFile_.empty() || offset < 0 || length < 0) return std::nullopt;
    const int fd = ::open(textFile_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && offset <= st.st_size) {
        // A length reaching past the end of the file gives the bytes that are there.
        text.resize(static_cast<std::size_t>(std::min<std::int64_t>(length, st.st_size - offset)));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::pread(fd, text.data() + done, text.size() - done,
                                      static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
    }
    ::close(fd);
    return text;
}

bool CItemArray::truncateText(std::int64_t length) {
    std::lock_guard lock(fileLock_);
    if (textFile_.empty() || length < 0) return false;
    struct stat st {};
    if (::stat(textFile_.c_str(), &st) != 0) return false;
    if (st.st_size <= length) return true;
    return ::truncate(textFile_.c_str(), static_cast<off_t>(length)) == 0;
}

}  // namespace morvaline
