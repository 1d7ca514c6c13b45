#pragma once
// The file transfers of one connection. Installed as the Connection's transfer starter,
// it runs a Rapidox transfer on its own thread over a TransferLink: a download with the
// receiver into the user's download folder, an upload with the sender over the file the
// request names. While it runs, its progress reaches the status line ("%1 ﾊﾞｲﾄが転送され
// ました" and "ﾌｧｲﾙの大きさ: %1 ﾊﾞｲﾄ"). At its end the outcome is recorded in the CommBlock
// for the engine (result code, its text, the path of the received file), a failure is
// reported, and the bytes the transfer did not use go back to the text stream; leaving
// transfer mode then wakes the engine (DataArrived).
//
// Line loss, hang-up and the user's abort end a running transfer at once (Connection::
// abortTransfer).
//
// Main thread. Create it after the Connection and destroy it before.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "comm/connection.h"
#include "comm/rapidox/receiver.h"
#include "comm/rapidox/transfer_status.h"
#include "link/comm_block.h"
#include "platform/main_dispatcher.h"
#include "platform/thread_affinity.h"
#include "store/user_settings.h"

namespace morvaline {

struct TransferSettings {
    std::filesystem::path downloadFolder;  // DownPath: where downloads are written
    // Blocks in flight, RapidoxReceiveSize and RapidoxSendSize; clamped to 1 ... 25 when
    // a transfer starts.
    int receiveWindow = 20;
    int sendWindow = 20;
    // How long a download waits after a lone EOT before it takes it as the end of the batch
    // (RapidoxQuietTime).
    std::chrono::milliseconds quietPeriod = std::chrono::duration_cast<std::chrono::milliseconds>(
        rapidox::RapidoxReceiver::kDefaultQuietPeriod);
};

// The transfer settings of a user: DownPath, RapidoxReceiveSize, RapidoxSendSize,
// RapidoxQuietTime.
TransferSettings transferSettingsOf(const UserSettings& settings);

class TransferSession {
public:
    // Called on the main thread after a transfer has ended and its thread is gone.
    using Ended = std::function<void(const FileTransferOutcome&)>;

    TransferSession(Connection& connection, CommBlock& block, MainDispatcher& dispatcher,
                    TransferSettings settings);
    // Uninstalls itself; a running transfer is aborted, the dispatcher shut down (which
    // releases the transfer's last call on the main thread) and the thread joined: the
    // dispatcher serves no worker afterwards, so the line stack is ending too.
    ~TransferSession();
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    // For the transfers that start from now on.
    void setSettings(TransferSettings settings) { settings_ = std::move(settings); }
    void setEndedListener(Ended ended) { ended_ = std::move(ended); }

    // A transfer has the line. The line is handed back on the main thread in the same step
    // that passes the host's text after the transfer on, so whoever sees that text (a
    // prompt) may use the line at once; the transfer's thread ends and is joined after it.
    bool running() const { return running_ && connection_.transferRunning(); }
    // The user's abort: the transfer ends with a time-out ("中断処理中").
    void abort();

private:
    struct Running;
    // Status lines posted by the transfer thread: consecutive progress lines are merged,
    // so a fast transfer never waits for the main thread and the status line stays current.
    struct StatusQueue {
        std::mutex mutex;
        std::vector<rapidox::TransferStatus> pending;  // guarded by mutex
        bool drainPosted = false;                      // guarded by mutex
    };

    bool start(const TransferRequest& request);
    // Transfer thread.
    void onStatus(Running& running, const rapidox::TransferStatus& status);
    void onEnded(Running& running, const rapidox::TransferStatus& status);
    // Main thread.
    void drainStatus();
    // Joins the thread of the transfer that handed the line back, and tells the listener.
    void join();

    Connection& connection_;
    CommBlock& block_;
    MainDispatcher& dispatcher_;
    TransferSettings settings_;
    Ended ended_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // posted calls check it
    StatusQueue status_;
    std::unique_ptr<Running> running_;
    ThreadAffinity mainThread_;
};

}  // namespace morvaline
