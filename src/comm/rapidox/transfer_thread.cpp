#include "comm/rapidox/transfer_thread.h"

namespace morvaline::rapidox {

TransferOutcome runTransfer(TransferEngine& engine, TransferChannel& channel,
                            const StatusCallback& onStatus) {
    const auto report = [&](const TransferStatus& status) {
        if (onStatus) onStatus(status);
    };
    engine.start(Clock::now());
    std::string input;
    for (;;) {
        const std::string output = engine.takeOutput();
        if (!output.empty()) {
            if (engine.finished()) {
                channel.writeFinal(output);
            } else if (!channel.write(output)) {
                engine.abort();
                continue;  // the engine may have a last byte for the line
            }
        }
        for (const TransferStatus& status : engine.takeStatus()) report(status);
        if (engine.finished()) break;
        input.clear();
        const TransferChannel::ReadResult read = channel.read(input, engine.deadline());
        const TimePoint now = Clock::now();
        if (read == TransferChannel::ReadResult::Data)
            engine.receive(input, now);
        else if (read == TransferChannel::ReadResult::Aborted)
            engine.abort();
        engine.advance(now);
    }
    TransferOutcome outcome{engine.result(), engine.failureMessage(), engine.unusedInput()};
    TransferStatus ended;
    ended.code = TransferStatus::Code::Ended;
    ended.result = outcome.result;
    report(ended);
    return outcome;
}

TransferThread::TransferThread(TransferEngine& engine, TransferChannel& line,
                               StatusCallback onStatus)
    : channel_(line), thread_([this, &engine, onStatus = std::move(onStatus)] {
          outcome_ = runTransfer(engine, channel_, onStatus);
      }) {}

TransferThread::~TransferThread() {
    if (thread_.joinable()) {
        abort();
        thread_.join();
    }
}

const TransferOutcome& TransferThread::wait() {
    if (thread_.joinable()) thread_.join();
    return outcome_;
}

}  // namespace morvaline::rapidox
