#pragma once
// The line with everything attached to it, assembled once for every program that talks to
// the host (the command line program, the desktop program, tests and benchmarks): the
// main-loop dispatcher, the engine's CommBlock, the Connection with its capture log and
// transcript, and the file transfers. A patrol runs on it through a PatrolSession.
//
// Main thread; a QCoreApplication must exist. Ending: shutdown() (also done by the
// destructor) refuses further calls of the workers and releases those waiting, so that a
// worker still running can be joined without the main thread serving its requests.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "comm/capture_log.h"
#include "comm/connection.h"
#include "link/comm_block.h"
#include "link/transcript.h"
#include "platform/main_dispatcher.h"
#include "session/transfer_session.h"
#include "store/report.h"

namespace morvaline {

class CTolDoc;

struct LineSettings {
    static CaptureLogSettings offLog() {
        CaptureLogSettings off;
        off.mode = CaptureLogSettings::Mode::Off;
        return off;
    }
    // Where the host's text is captured; off unless set.
    CaptureLogSettings captureLog = offLog();
    // The transfers of the line; none: no transfer can start on it.
    std::optional<TransferSettings> transfers;
};

// A user's line: the capture log in the user's log folder, the transfers into the user's
// download folder.
LineSettings lineSettingsOf(CTolDoc& doc);

class LineStack {
public:
    LineStack(Reporter& reporter, LineSettings settings);
    ~LineStack();
    LineStack(const LineStack&) = delete;
    LineStack& operator=(const LineStack&) = delete;

    // Records the session as a dialogue transcript from now on; false with *error set when
    // the file cannot be created.
    bool recordTranscript(const std::filesystem::path& file, std::string* error);

    MainDispatcher& dispatcher() { return dispatcher_; }
    CommBlock& block() { return block_; }
    Connection& connection() { return connection_; }
    DialUp& dialUp() { return dialUp_; }
    // Null when the line has no transfers.
    TransferSession* transfers() { return transfers_.get(); }

    void shutdown() { dispatcher_.shutdown(); }

private:
    MainDispatcher dispatcher_;
    CommBlock block_;
    TranscriptWriter transcript_;  // outlives the connection that writes it
    Connection connection_;
    DialUp dialUp_;
    std::unique_ptr<TransferSession> transfers_;  // goes before the connection
};

}  // namespace morvaline
