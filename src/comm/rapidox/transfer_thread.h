#pragma once
// Running a transfer: the loop that pumps bytes between a channel and an engine, and the
// transfer thread that runs it beside the main thread.
//
// Download:
//     DownloadFolder folder(downloadDir);
//     RapidoxReceiver receiver(folder, receiveWindow);
//     TransferThread thread(receiver, channel, onStatus);
//     const TransferOutcome& outcome = thread.wait();   // folder.files() names the files
// Upload: the same with UploadFiles and RapidoxSender.

#include <functional>
#include <string>
#include <thread>

#include "comm/rapidox/transfer_channel.h"
#include "comm/rapidox/transfer_engine.h"

namespace morvaline::rapidox {

// Called on the transfer thread for every status, the last one being Ended.
using StatusCallback = std::function<void(const TransferStatus&)>;

struct TransferOutcome {
    TransferResult result = TransferResult::Ok;
    std::string failureMessage;  // Shift_JIS line naming the file of a file error; may be empty
    // Bytes that arrived after the transfer's end (the host's text that follows it): they
    // go back to the text stream.
    std::string unusedInput;
};

// Runs the engine over the channel until the transfer ends; the calling thread is the
// transfer thread.
TransferOutcome runTransfer(TransferEngine& engine, TransferChannel& channel,
                            const StatusCallback& onStatus);

class TransferThread {
public:
    // Starts the transfer at once over a channel of plain protocol bytes (on a Telnet line,
    // the connection doubles 0xFF and takes out the Telnet commands). Engine and line must
    // outlive the thread. Main thread.
    TransferThread(TransferEngine& engine, TransferChannel& line, StatusCallback onStatus);
    // Aborts a transfer still running and waits for its end.
    ~TransferThread();
    TransferThread(const TransferThread&) = delete;
    TransferThread& operator=(const TransferThread&) = delete;

    // Line lost, hang-up or the user's abort: the transfer ends with TimedOut. Any thread.
    void abort() { channel_.abort(); }
    // Waits for the end of the transfer. Main thread.
    const TransferOutcome& wait();

private:
    TransferChannel& channel_;
    TransferOutcome outcome_;
    std::thread thread_;
};

}  // namespace morvaline::rapidox
