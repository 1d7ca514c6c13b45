#pragma once
// A transfer channel over file descriptors: a connected socket, or a pair such as
// standard input and output. The descriptors stay the caller's. Writing to a pipe whose
// reader is gone raises SIGPIPE unless the program ignores it; sockets never do.

#include <atomic>

#include "comm/rapidox/transfer_channel.h"

namespace morvaline::rapidox {

class FdChannel : public TransferChannel {
public:
    FdChannel(int readFd, int writeFd);
    ~FdChannel() override;
    FdChannel(const FdChannel&) = delete;
    FdChannel& operator=(const FdChannel&) = delete;

    ReadResult read(std::string& into, TimePoint deadline) override;
    bool write(std::string_view bytes) override;
    bool writeFinal(std::string_view bytes) override;
    void abort() override;

private:
    bool writeAll(std::string_view bytes, bool final);

    const int readFd_;
    const int writeFd_;
    const int wakeFd_;  // becomes readable on abort(), waking a waiting poll
    std::atomic<bool> aborted_{false};
};

}  // namespace morvaline::rapidox
