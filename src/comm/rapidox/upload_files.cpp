#include "comm/rapidox/upload_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "comm/rapidox/download_name.h"
#include "platform/file_time.h"
#include "platform/text_codec.h"
#include "store/texts.h"

namespace morvaline::rapidox {
namespace {

// How much of the file one read takes: a multiple of the block size.
constexpr std::size_t kReadAhead = 512 * kBlockData;

}  // namespace

UploadFiles::~UploadFiles() {
    close();
}

std::optional<FileHeader> UploadFiles::open(std::size_t index) {
    close();
    current_ = index;
    const UploadFile& file = files_.at(index);
    fd_ = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        fail(texts::kCannotOpenFile);
        close();
        return std::nullopt;
    }
    FileHeader header;
    const std::string name =
        file.sendName.empty() ? utf8ToSjis(file.path.filename().string()) : file.sendName;
    header.name = std::string(lastNameComponent(name));
    header.size = st.st_size;
    const LocalTimeFields time = localTimeFields(st.st_mtime);
    header.year = time.year;
    header.month = time.month;
    header.day = time.day;
    header.hour = time.hour;
    header.minute = time.minute;
    header.second = time.second;
    return header;
}

bool UploadFiles::seek(std::int64_t offset) {
    ahead_.clear();
    aheadPos_ = 0;
    return ::lseek(fd_, offset, SEEK_SET) >= 0 || fail(texts::kListReadFailed);
}

bool UploadFiles::read(std::string& block) {
    if (aheadPos_ == ahead_.size()) {
        // The next piece of the file; short only at its end.
        ahead_.resize(kReadAhead);
        std::size_t filled = 0;
        while (filled < kReadAhead) {
            const ssize_t n = ::read(fd_, ahead_.data() + filled, kReadAhead - filled);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ahead_.clear();
                aheadPos_ = 0;
                return fail(texts::kListReadFailed);
            }
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        ahead_.resize(filled);
        aheadPos_ = 0;
    }
    const std::size_t take = std::min(kBlockData, ahead_.size() - aheadPos_);
    block.assign(ahead_, aheadPos_, take);
    aheadPos_ += take;
    return true;
}

void UploadFiles::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ahead_.clear();
    aheadPos_ = 0;
}

bool UploadFiles::fail(const Text& text) {
    error_ = formatText(text, utf8ToSjis(files_.at(current_).path.string()));
    return false;
}

}  // namespace morvaline::rapidox
