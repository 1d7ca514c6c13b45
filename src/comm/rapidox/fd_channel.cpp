#include "comm/rapidox/fd_channel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>

namespace morvaline::rapidox {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kReadSize = 12800;  // one raw receive buffer per read
// The final bytes of a failed transfer wait this long at most for room on the line.
constexpr Duration kFinalWriteLimit = 5s;

// Milliseconds to wait in poll() until `deadline`, rounded up; -1 for no limit.
int pollTimeout(TimePoint deadline) {
    if (deadline == kAtOnce) return 0;
    if (deadline == kNever) return -1;
    const auto left = deadline - Clock::now();
    if (left <= Duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

FdChannel::FdChannel(int readFd, int writeFd)
    : readFd_(readFd), writeFd_(writeFd), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

FdChannel::~FdChannel() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void FdChannel::abort() {
    aborted_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

TransferChannel::ReadResult FdChannel::read(std::string& into, TimePoint deadline) {
    for (;;) {
        if (aborted_) return ReadResult::Aborted;
        pollfd fds[2] = {{readFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, pollTimeout(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || fds[1].revents != 0) return ReadResult::Aborted;
        if (ready == 0) return ReadResult::TimedOut;
        char buffer[kReadSize];
        const ssize_t n = ::read(readFd_, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            return ReadResult::Data;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        aborted_ = true;  // end of stream or error: the line is gone
        return ReadResult::Aborted;
    }
}

bool FdChannel::write(std::string_view bytes) {
    return writeAll(bytes, false);
}

bool FdChannel::writeFinal(std::string_view bytes) {
    return writeAll(bytes, true);
}

bool FdChannel::writeAll(std::string_view bytes, bool final) {
    const TimePoint limit = final ? Clock::now() + kFinalWriteLimit : kNever;
    while (!bytes.empty()) {
        if (aborted_ && !final) return false;
        // After an abort the wake descriptor stays readable, so a final write only waits
        // for room on the line.
        pollfd fds[2] = {{writeFd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, final ? 1 : 2, pollTimeout(limit));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (!final && fds[1].revents != 0)) return false;
        ssize_t n = ::send(writeFd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == ENOTSOCK) n = ::write(writeFd_, bytes.data(), bytes.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace morvaline::rapidox
