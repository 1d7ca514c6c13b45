#include "comm/rapidox/transfer_engine.h"

#include <algorithm>
#include <utility>

namespace morvaline::rapidox {
namespace {

// Bytes kept for the text stream beyond the last read are bounded: a host that floods
// the line after CAN cannot make the transfer hold unbounded memory.
constexpr std::size_t kMaxUnused = 64 * 1024;

}  // namespace

void TransferEngine::receive(std::string_view bytes, TimePoint now) {
    while (!bytes.empty() && !finished_) onBytes(bytes, now);
    if (!finished_) onArrivalTaken();
    unused_.append(bytes);
}

void TransferEngine::abort() {
    if (!finished_) finish(TransferResult::TimedOut, true);
}

std::string TransferEngine::takeOutput() {
    return std::exchange(output_, {});
}

std::vector<TransferStatus> TransferEngine::takeStatus() {
    return std::exchange(status_, {});
}

void TransferEngine::finish(TransferResult result, bool aborted) {
    finished_ = true;
    result_ = result;
    onFinish(aborted);
}

void TransferEngine::keepUnused(unsigned char byte) {
    if (unused_.size() < kMaxUnused) unused_ += static_cast<char>(byte);
}

void TransferEngine::keepUnused(std::string_view bytes) {
    unused_.append(bytes.substr(0, kMaxUnused - std::min(kMaxUnused, unused_.size())));
}

void TransferEngine::announceStart() {
    current_ = TransferStatus{};
    current_.code = TransferStatus::Code::Started;
    status_.push_back(current_);
}

void TransferEngine::announceSize(std::int64_t size, std::int64_t startOffset) {
    current_.code = TransferStatus::Code::SizeKnown;
    current_.fileSize = static_cast<std::uint64_t>(size);
    current_.startOffset = static_cast<std::uint64_t>(startOffset);
    current_.bytesDone = 0;
    status_.push_back(current_);
}

void TransferEngine::setStartOffset(std::int64_t startOffset) {
    current_.startOffset = static_cast<std::uint64_t>(startOffset);
}

void TransferEngine::announceProgress(std::int64_t bytesDone) {
    // Padding of the last block and a resumed start never count beyond the file's size.
    const std::uint64_t rest =
        current_.fileSize - std::min(current_.fileSize, current_.startOffset);
    current_.code = TransferStatus::Code::Progress;
    current_.bytesDone = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<std::int64_t>(bytesDone, 0)), rest);
    status_.push_back(current_);
}

}  // namespace morvaline::rapidox
