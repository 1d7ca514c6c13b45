#pragma once
// CommBlock: the one meeting point of the connection and the patrol engine. The receive
// side of the connection (main thread) appends the received text to its buffer; the
// engine (patrol thread) scans and consumes it. Besides the buffer it carries the events
// and flags by which the two sides wake and stop each other.
//
// The receive side never blocks here: append() takes what fits and, when something is
// left over, asks to be told once the engine has made room (SpaceFreed, a listener rather
// than an event to wait on), so that the connection stops reading the line meanwhile.
// Nothing is dropped or reordered.

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "link/transfer_request.h"
#include "platform/event.h"

namespace morvaline {

class CommBlock {
public:
    static constexpr std::size_t kCapacity = 72'808;

    CommBlock();
    CommBlock(const CommBlock&) = delete;
    CommBlock& operator=(const CommBlock&) = delete;

    // --- Receive side (main thread) ---

    // Appends as much of bytes as fits and returns how much it took; sets DataArrived when
    // it took any. When it could not take everything, SpaceFreed is signalled (once) after
    // the engine has removed bytes or has gone.
    std::size_t append(std::string_view bytes);
    // SpaceFreed: set once, before an engine runs. Called on the engine's thread, without
    // the lock.
    void setSpaceFreedListener(std::function<void()> listener);

    // --- Engine side (patrol thread) ---

    // The buffer under its lock. Removing bytes through it wakes a waiting receive side
    // when the lock is released.
    class Locked {
    public:
        explicit Locked(CommBlock& block);
        ~Locked();
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

        std::string_view unconsumed() const;
        bool empty() const { return block_.fill_ == 0; }
        // Removes the first n unconsumed bytes.
        void consume(std::size_t n);
        // Removes everything and resets DataArrived: the engine has seen all there is.
        void consumeAll();

    private:
        CommBlock& block_;
        std::unique_lock<std::mutex> lock_;
        bool freed_ = false;
    };
    Locked lock() { return Locked(*this); }

    // The engine has ended: a receive side waiting for room is released (its pending
    // bytes have no reader any more).
    void engineGone();

    // --- Both sides ---

    // Empties the buffer and clears the result code and DataArrived (start of a run).
    void reset();

    // The result code of the run (see result_codes.h): 0 while the run may go on.
    int result() const { return result_.load(); }
    void setResult(int code) { result_.store(code); }
    // Sets code only while the result is 0, so that the first cause of an end is kept
    // (a cancel is not turned into "line lost" by the hang-up it causes).
    void setResultIfOk(int code);

    // The silence limit of the engine's waits in ms; -1 means none.
    int waitTimeout() const { return waitTimeout_.load(); }
    void setWaitTimeout(int ms) { waitTimeout_.store(ms); }

    // The line is connected; written by the connection.
    bool lineUp() const { return lineUp_.load(); }
    void setLineUp(bool up) { lineUp_.store(up); }
    // The engine is in its connection loop; written by the engine.
    bool inConnect() const { return inConnect_.load(); }
    void setInConnect(bool on) { inConnect_.store(on); }

    // --- File transfer ---

    // Engine, before it asks for a transfer: forgets the outcome of the last one.
    void clearTransferOutcome();
    // Transfer side, when the transfer has ended, before the line leaves transfer mode
    // (which sets DataArrived).
    void setTransferOutcome(FileTransferOutcome outcome);
    // Engine: the outcome of the transfer, once it has ended.
    std::optional<FileTransferOutcome> transferOutcome() const;

    // Set by the receive side after it appended bytes, by the connection when a connection
    // step completes or the line drops; reset by the engine when it consumed everything.
    Event dataArrived{true, false};
    // Set by the connection when the Telnet host lookup step has completed.
    Event hostFound{true, false};
    // Set by the user interface to stop waiting between connection attempts.
    Event redialCancel{true, false};

private:
    // A receive side that waits for room is woken once this much is free (or the buffer is
    // empty): waking it for every line the engine reads would hand the line back and forth
    // between the threads a few bytes at a time.
    static constexpr std::size_t kWakeRoom = kCapacity / 4;

    void notifySpace();

    std::mutex mutex_;
    std::unique_ptr<char[]> buffer_;
    // The unconsumed bytes are [start_, start_ + fill_); they move to the front only when
    // appending needs the room, so that consuming a line costs nothing.
    std::size_t start_ = 0;
    std::size_t fill_ = 0;
    bool spaceWanted_ = false;  // guarded by mutex_
    std::function<void()> spaceListener_;
    std::atomic<int> result_{0};
    std::atomic<int> waitTimeout_{-1};
    std::atomic<bool> lineUp_{false};
    std::atomic<bool> inConnect_{false};
    mutable std::mutex transferMutex_;
    std::optional<FileTransferOutcome> transferOutcome_;  // guarded by transferMutex_
};

}  // namespace morvaline
