#pragma once
// CPatrolEngine: one patrol run's side of the host dialogue, on the patrol thread. It
// talks to the host the way a person at a terminal would: it waits until the received
// text shows one of the prompts the current step expects, then sends the next command.
// It reaches the line only through the CommBlock (received text, events, result code) and
// the request interfaces (what to write, which connection step to take); it tells the
// user what it does through PatrolEvents.
//
// The login, the walk of the place tree and the service handlers are built on the
// primitives below, in further files of this folder.
//
// Every wait returns a typed outcome (wait_outcome.h): which prompt of its set ended it, or
// the result code that ended the run (see link/result_codes.h); a wait for one prompt
// returns the result code alone (Ok when the prompt came). Once the result code is not 0,
// every wait returns it at once and every send is skipped, so a step in the middle of a
// dialogue unwinds to the end of the run without further traffic.

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "link/comm_block.h"
#include "link/line_requests.h"
#include "link/store_requests.h"
#include "patrol/engine/dialogue_settings.h"
#include "patrol/engine/patrol_events.h"
#include "patrol/engine/prompt_matcher.h"
#include "patrol/engine/wait_clock.h"
#include "patrol/engine/wait_outcome.h"
#include "platform/thread_affinity.h"

namespace morvaline {

// What the engine is connected to. All outlive the engine.
struct EngineLinks {
    CommBlock& block;
    LineRequests& line;
    StoreRequests& store;
    PatrolEvents& events;
    WaitClock& clock;
};

class CPatrolEngine {
public:
    // Bytes one capture keeps at most; the text beyond is dropped, the match still works.
    static constexpr std::size_t kCaptureLimit = 8 * 1024 * 1024;
    // Width of a host screen line, for ReadScreenLine.
    static constexpr std::size_t kScreenWidth = 80;

    // Patrol thread: the engine belongs to the thread that creates it. Sets the wait
    // timeout to none and the result code to 0.
    CPatrolEngine(EngineLinks links, DialogueSettings settings);
    // Releases a receive side that waits for room in the CommBlock.
    ~CPatrolEngine();
    CPatrolEngine(const CPatrolEngine&) = delete;
    CPatrolEngine& operator=(const CPatrolEngine&) = delete;

    // --- Prompt matching ---

    // The general matcher over up to 14 prompts: the index of the prompt that matched.
    // With capture, the text received before it is stored there (at most kCaptureLimit
    // bytes).
    Waited<int> WaitForPrompts(std::span<const Prompt> prompts, std::string* capture = nullptr);
    // The prompts of a screen set: which of them matched.
    template <class Which, std::size_t N>
    Waited<Which> WaitForScreen(const Screen<Which, N>& screen, std::string* capture = nullptr) {
        const Waited<int> got = WaitForPrompts(screen.prompts, capture);
        return got ? Waited<Which>::prompt(static_cast<Which>(got.which()))
                   : Waited<Which>::ended(got.code());
    }
    // One prompt.
    [[nodiscard]] result::Code WaitFor(std::string_view text, bool quiet);
    // Two to six prompts sharing one quiet flag (the index of the one that matched).
    Waited<int> WaitForAny(std::initializer_list<std::string_view> texts, bool quiet);
    // One prompt, not quiet; out receives everything received before it.
    [[nodiscard]] result::Code CaptureUntil(std::string_view text, std::string& out);
    // One line (without its CR LF) into out, or one of the prompts (1 to 13 of them, all
    // quiet) that ended the output; out then holds the text before it.
    Waited<LineRead> ReadLine(std::string& out, std::initializer_list<std::string_view> prompts);
    // As ReadLine, for screens of 80 columns: a longer line is returned in pieces of at
    // most 80 bytes (never splitting a double-byte character), the later pieces by the
    // next calls without reading the host.
    Waited<LineRead> ReadScreenLine(std::string& out,
                                    std::initializer_list<std::string_view> prompts);
    // One line of a host menu (one leading LF removed), or the menu prompt: out then
    // receives the command list up to ")=", and the outcome tells whether it offers a
    // further page ("Q,N").
    Waited<MenuRead> ReadMenuLine(std::string& out);
    // Waits until the menu prompt after a menu command has been shown in full.
    [[nodiscard]] result::Code WaitForMenuPrompt();

    // --- Sending ---

    // Sends a text (commands end with CR alone). Whatever was received and not yet read is
    // discarded first, so that a prompt shown before the command can never answer the next
    // wait. Nothing is sent once the run is over; a text that cannot be written ends the
    // run (LineLost). Either way the next wait returns the result code at once.
    void Send(std::string_view text);
    // Sends a secret (a password with its CR) as Send does; transcripts and capture logs
    // show it as "****".
    void SendSecret(std::string_view text);
    // Sends a text and waits for it to come back: Ok, or the result code that ended the run.
    [[nodiscard]] result::Code SendEchoed(std::string_view text);
    // Streams the lines of a reserved text to the host, pacing them by their echo: up to
    // SendAhead lines go out before the engine waits for a line's LF. Adds the bytes sent to
    // bytesSent and returns the number of lines sent.
    int SendTextBody(const ReservedText& item, long long& bytesSent);

    // --- State of the run ---

    result::Code result() const { return static_cast<result::Code>(links_.block.result()); }
    void setResult(int code) { links_.block.setResult(code); }
    void setWaitTimeout(int ms) { links_.block.setWaitTimeout(ms); }
    const DialogueSettings& settings() const { return settings_; }
    CommBlock& block() { return links_.block; }
    LineRequests& line() { return links_.line; }
    StoreRequests& store() { return links_.store; }
    PatrolEvents& events() { return links_.events; }
    WaitClock& clock() { return links_.clock; }

private:
    void write(std::string_view text, Secrecy secrecy);
    // Waits for the event for at most ms; true when it was set.
    bool waitForData(int ms);

    EngineLinks links_;
    DialogueSettings settings_;
    ThreadAffinity thread_;
    std::string pendingScreenLine_;  // the rest of a long line for ReadScreenLine
};

}  // namespace morvaline
