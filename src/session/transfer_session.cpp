#include "session/transfer_session.h"

#include "comm/rapidox/download_folder.h"
#include "comm/rapidox/receiver.h"
#include "comm/rapidox/sender.h"
#include "comm/rapidox/transfer_thread.h"
#include "comm/rapidox/upload_files.h"
#include "comm/transfer_link.h"
#include "store/texts.h"

namespace morvaline {
namespace {

using rapidox::TransferResult;
using rapidox::TransferStatus;

// The string table entry of a failed transfer's text; its ID classifies the report.
const Text& failureText(TransferResult result) {
    switch (result) {
        case TransferResult::RetriesExhausted:
            return texts::kTransferRetriesExceeded;
        case TransferResult::FileError:
            return texts::kTransferFileError;
        case TransferResult::ProtocolError:
            return texts::kTransferProtocolError;
        case TransferResult::Ok:
        case TransferResult::Cancelled:
        case TransferResult::TimedOut:
            break;
    }
    return texts::kTransferAborting;
}

}  // namespace

TransferSettings transferSettingsOf(const UserSettings& settings) {
    return {settings.downPath, settings.rapidoxReceiveSize, settings.rapidoxSendSize,
            std::chrono::milliseconds(settings.rapidoxQuietTime)};
}

// One transfer: the engine with its files and its thread. The thread is declared last,
// so that it ends before what it uses goes.
struct TransferSession::Running {
    Running(Connection& connection, MainDispatcher& dispatcher) : link(connection, dispatcher) {}

    TransferLink link;
    std::unique_ptr<rapidox::DownloadFolder> folder;  // download
    std::unique_ptr<rapidox::UploadFiles> files;      // upload
    std::unique_ptr<rapidox::TransferEngine> engine;
    FileTransferOutcome outcome;  // written by the transfer thread before the hand-back
    std::unique_ptr<rapidox::TransferThread> thread;
};

TransferSession::TransferSession(Connection& connection, CommBlock& block,
                                 MainDispatcher& dispatcher, TransferSettings settings)
    : connection_(connection),
      block_(block),
      dispatcher_(dispatcher),
      settings_(std::move(settings)) {
    connection_.setTransferStarter(
        [this](const TransferRequest& request) { return start(request); });
}

TransferSession::~TransferSession() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    connection_.setTransferStarter({});
    ended_ = {};
    if (running_) {
        connection_.abortTransfer();
        // The transfer's last step is a call on the main thread, which waits here: shutting
        // the dispatcher down releases that call, so the thread can be joined.
        if (connection_.transferRunning()) dispatcher_.shutdown();
        running_->thread->wait();
    }
}

void TransferSession::abort() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (running()) connection_.abortTransfer();
}

// Called by the connection, which is in transfer mode from now on.
bool TransferSession::start(const TransferRequest& request) {
    MORVALINE_ASSERT_THREAD(mainThread_);
    // The connection starts a transfer only on a line that is out of transfer mode, so an
    // earlier transfer has handed the line back: its thread is ending and is joined now.
    join();

    auto running = std::make_unique<Running>(connection_, dispatcher_);
    if (request.direction == TransferDirection::Download) {
        running->folder = std::make_unique<rapidox::DownloadFolder>(settings_.downloadFolder);
        running->engine = std::make_unique<rapidox::RapidoxReceiver>(
            *running->folder, settings_.receiveWindow, settings_.quietPeriod);
    } else if (request.direction == TransferDirection::Upload && !request.uploadPath.empty()) {
        running->files = std::make_unique<rapidox::UploadFiles>(std::vector<rapidox::UploadFile>{
            {std::filesystem::path(request.uploadPath), request.sendName}});
        running->engine =
            std::make_unique<rapidox::RapidoxSender>(*running->files, settings_.sendWindow);
    } else {
        return false;
    }
    Running& r = *running;
    running_ = std::move(running);
    r.thread = std::make_unique<rapidox::TransferThread>(
        *r.engine, r.link, [this, &r](const TransferStatus& status) {
            if (status.code == TransferStatus::Code::Ended)
                onEnded(r, status);
            else
                onStatus(r, status);
        });
    return true;
}

void TransferSession::onStatus(Running&, const TransferStatus& status) {
    if (status.code == TransferStatus::Code::Started) return;
    std::lock_guard lock(status_.mutex);
    std::vector<TransferStatus>& pending = status_.pending;
    if (status.code == TransferStatus::Code::Progress && !pending.empty() &&
        pending.back().code == TransferStatus::Code::Progress)
        pending.back() = status;
    else
        pending.push_back(status);
    if (status_.drainPosted) return;
    status_.drainPosted = true;
    dispatcher_.post([this, alive = std::weak_ptr<int>(alive_)] {
        if (alive.lock()) drainStatus();
    });
}

// The last step on the transfer thread. The posted status lines and the failure report
// run before the hand-back, which is queued after them.
void TransferSession::onEnded(Running& r, const TransferStatus& status) {
    FileTransferOutcome& outcome = r.outcome;
    outcome.result = static_cast<int>(status.result);
    if (status.result != TransferResult::Ok) outcome.text = textSjis(failureText(status.result));
    outcome.failureMessage = r.engine->failureMessage();
    if (r.folder && !r.folder->files().empty()) {
        outcome.receivedPath = r.folder->files().back().path.string();
        for (const auto& file : r.folder->files())
            if (file.complete) outcome.completePaths.push_back(file.path.string());
    }
    block_.setTransferOutcome(outcome);
    if (status.result != TransferResult::Ok) {
        dispatcher_.post([this, alive = std::weak_ptr<int>(alive_), outcome] {
            if (!alive.lock()) return;
            Reporter& reporter = connection_.reporter();
            const Text& text = failureText(static_cast<TransferResult>(outcome.result));
            reporter.report(text);
            if (!outcome.failureMessage.empty()) reporter.report(outcome.failureMessage, text.id);
        });
    }
    r.link.finished(r.engine->unusedInput());
    dispatcher_.post([this, alive = std::weak_ptr<int>(alive_), ended = &r] {
        if (alive.lock() && running_.get() == ended) join();
    });
}

void TransferSession::drainStatus() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    std::vector<TransferStatus> pending;
    {
        std::lock_guard lock(status_.mutex);
        pending.swap(status_.pending);
        status_.drainPosted = false;
    }
    Reporter& reporter = connection_.reporter();
    for (const TransferStatus& status : pending) {
        if (status.code == TransferStatus::Code::SizeKnown)
            reporter.report(rapidox::fileSizeText(status), texts::kTransferFileSize.id);
        else
            reporter.report(rapidox::progressText(status), texts::kBytesTransferred.id);
    }
}

void TransferSession::join() {
    MORVALINE_ASSERT_THREAD(mainThread_);
    if (!running_) return;
    running_->thread->wait();
    const FileTransferOutcome outcome = running_->outcome;
    running_.reset();
    if (ended_) ended_(outcome);
}

}  // namespace morvaline
