#pragma once
// A scripted host for dialogue tests of the engine: it plays a transcript (see
// link/transcript.h) against a CPatrolEngine running on the test's own thread, in
// virtual time. When the engine waits for text, the host shows its next "S:" entry; when
// the next entry is something the client must send first, the wait runs out (the host is
// silent) and the virtual clock advances by the wait's limit. Each text the engine writes
// must be the next "C:" entry. "X" drops the line as the connection would.

#include <string>
#include <string_view>
#include <vector>

#include "link/comm_block.h"
#include "link/line_requests.h"
#include "link/store_requests.h"
#include "link/transcript.h"
#include "patrol/engine/patrol_engine.h"
#include "patrol/engine/patrol_events.h"
#include "patrol/engine/wait_clock.h"

namespace morvaline::test {

class ScriptedHost final : public LineRequests,
                           public StoreRequests,
                           public WaitClock,
                           public PatrolEvents {
public:
    // The transcript in UTF-8, as a file would hold it.
    explicit ScriptedHost(std::string_view transcript);

    EngineLinks links() { return {block, *this, *this, *this, *this}; }

    // Every entry was played, and nothing went wrong.
    bool finished() const { return next_ == entries_.size(); }
    // What went wrong, one line per fault; empty when the dialogue went as scripted.
    const std::vector<std::string>& faults() const { return faults_; }
    long long nowMs() const { return nowMs_; }
    // The timeouts the engine's waits for text asked for, in order.
    const std::vector<int>& waits() const { return waits_; }
    // Entries not yet played.
    std::size_t remaining() const { return entries_.size() - next_; }
    // The reports made, as UTF-8 text.
    const std::vector<std::string>& reports() const { return reports_; }

    // The lines sendNextTextLine() sends (each must be a "C:" entry of the script).
    std::vector<std::string> textLines;
    bool textOpens = true;
    // Whether openModemPort() succeeds; a modem's CONNECT brings the line up at once.
    bool portOpens = true;
    // The access point that currentAttempt() names.
    std::optional<AttemptTarget> attempt = AttemptTarget{};
    // A transfer that startTransfer() runs: the outcome it records at once, as a transfer
    // that has already ended; none: no transfer can start.
    std::optional<FileTransferOutcome> transferOutcome;
    // What startTransfer() was asked, with the engine's wait time-out at that moment.
    std::vector<TransferRequest> transferRequests;
    // The bytes of each file an upload was asked for, as they were at that moment.
    std::vector<std::string> uploadedBytes;
    std::vector<int> timeoutsDuringTransfer;

    CommBlock block;

    // LineRequests
    // A secret matches its "C:" entry also as a recorded transcript shows it ("****\r").
    bool writeText(std::string_view text, Secrecy secrecy) override;
    bool openModemPort() override { return portOpens; }
    void modemDialled() override {}
    void modemConnected() override { block.setLineUp(true); }
    bool placeTapiCall() override { return false; }
    bool telnetConnect() override { return false; }
    int nextAccessPoint() override { return 0; }
    std::optional<AttemptTarget> currentAttempt() override { return attempt; }
    bool telnetResolve() override { return false; }
    void telnetClose() override {}
    void hangUp() override {}
    bool rasDial() override {
        block.dataArrived.set();
        return true;
    }
    bool startTransfer(const TransferRequest& request) override;

    // StoreRequests
    bool openTextToSend(const ReservedText& item) override;
    int sendNextTextLine() override;

    // WaitClock
    bool waitFor(Event& event, int timeoutMs) override;
    void sleepFor(int ms) override { nowMs_ += ms; }

    // PatrolEvents
    void report(const Text& text, std::string_view arg1) override;
    void itemNotice(const ItemNotice& notice) override { itemNotices.push_back(notice); }
    void placeNotice(const PlaceNotice& notice) override { placeNotices.push_back(notice); }
    std::vector<ItemNotice> itemNotices;
    std::vector<PlaceNotice> placeNotices;

private:
    void fault(std::string what);

    std::vector<TranscriptEntry> entries_;
    std::size_t next_ = 0;
    std::string undelivered_;  // the rest of a shown entry the CommBlock had no room for
    std::size_t nextTextLine_ = 0;
    long long nowMs_ = 0;
    std::vector<int> waits_;
    std::vector<std::string> faults_;
    std::vector<std::string> reports_;
};

}  // namespace morvaline::test
