// morvaline-bench rapidox send FILE [--window N]
// morvaline-bench rapidox recv DIR [--window N] [--quiet MS]
//
// The client's Rapidox sender or receiver over standard input and output (a plain byte
// link, no Telnet), so that two of them, or one of them and another implementation, can
// be joined by any link (a socket handed in as both, a pipe pair, a relay). The summary
// goes to standard error as one line of fields:
//     result=ok bytes=N data_seconds=S total_seconds=T bytes_per_second=R
// data_seconds runs from the first file header to the last progress of the last file (the
// file complete at the receiver), and bytes_per_second is taken over it; total_seconds is
// the whole run, with the handshake and the end of the batch (the receiver waits out the
// quiet period after EOT: 10 s, or MS milliseconds with --quiet, the RapidoxQuietTime
// setting). The exit status is 0 when the transfer succeeded.

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "bench_commands.h"
#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/fd_channel.h"
#include "comm/rapidox/receiver.h"
#include "comm/rapidox/sender.h"
#include "comm/rapidox/transfer_thread.h"
#include "comm/rapidox/upload_files.h"

namespace morvaline::bench {
namespace {

using namespace rapidox;

constexpr const char* kUsage =
    "usage: morvaline-bench rapidox send FILE [--window N]\n"
    "       morvaline-bench rapidox recv DIR [--window N] [--quiet MS]\n";

double secondsBetween(TimePoint from, TimePoint to) {
    return std::chrono::duration<double>(to - from).count();
}

// Runs the engine over standard input and output and prints the summary.
int run(TransferEngine& engine, const std::function<std::uint64_t()>& bytesMoved) {
    std::signal(SIGPIPE, SIG_IGN);  // a link that closes early is a failed write, not a kill
    // As on the client's Telnet line, every block goes out at once (no-op on a pipe).
    const int one = 1;
    ::setsockopt(1, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    FdChannel channel(0, 1);
    const TimePoint start = Clock::now();
    std::optional<TimePoint> firstHeader;
    TimePoint lastProgress = start;
    const TransferOutcome outcome = runTransfer(engine, channel, [&](const TransferStatus& s) {
        if (s.code == TransferStatus::Code::Ended) return;
        lastProgress = Clock::now();
        if (s.code == TransferStatus::Code::SizeKnown && !firstHeader) firstHeader = lastProgress;
    });
    const TimePoint end = Clock::now();
    const std::uint64_t bytes = bytesMoved();
    const double data = secondsBetween(firstHeader.value_or(start), lastProgress);
    std::fprintf(stderr,
                 "result=%s bytes=%llu data_seconds=%.3f total_seconds=%.3f "
                 "bytes_per_second=%.0f\n",
                 toString(outcome.result), static_cast<unsigned long long>(bytes), data,
                 secondsBetween(start, end), data > 0 ? static_cast<double>(bytes) / data : 0.0);
    return outcome.result == TransferResult::Ok ? 0 : 1;
}

}  // namespace

int benchRapidox(const Args& args) {
    int window = 20;
    Duration quiet = RapidoxReceiver::kDefaultQuietPeriod;
    bool usable = args.size() >= 2 && args.size() % 2 == 0;
    for (std::size_t i = 2; usable && i + 1 < args.size(); i += 2) {
        if (args[i] == "--window")
            window = std::atoi(args[i + 1].c_str());
        else if (args[i] == "--quiet" && args[0] == "recv")
            quiet = std::chrono::milliseconds(std::atoi(args[i + 1].c_str()));
        else
            usable = false;
    }
    if (!usable) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::filesystem::path path = args[1];
    if (args[0] == "send") {
        UploadFiles files({{path, {}}});
        RapidoxSender sender(files, window);
        return run(sender, [&] {
            std::error_code error;
            const auto size = std::filesystem::file_size(path, error);
            return error ? 0 : static_cast<std::uint64_t>(size);
        });
    }
    if (args[0] == "recv") {
        DownloadFolder folder(path);
        RapidoxReceiver receiver(folder, window, quiet);
        return run(receiver, [&] {
            std::uint64_t total = 0;
            for (const DownloadedFile& file : folder.files()) {
                std::error_code error;
                const auto size = std::filesystem::file_size(file.path, error);
                if (!error) total += size;
            }
            return total;
        });
    }
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace morvaline::bench
