#include "link/comm_block.h"

#include <algorithm>
#include <cstring>

namespace morvaline {

CommBlock::CommBlock() : buffer_(new char[kCapacity]) {}

std::size_t CommBlock::append(std::string_view bytes) {
    std::size_t taken;
    {
        std::lock_guard lock(mutex_);
        if (start_ > 0 && start_ + fill_ + bytes.size() > kCapacity) {
            std::memmove(buffer_.get(), buffer_.get() + start_, fill_);
            start_ = 0;
        }
        taken = std::min(bytes.size(), kCapacity - start_ - fill_);
        std::memcpy(buffer_.get() + start_ + fill_, bytes.data(), taken);
        fill_ += taken;
        if (taken < bytes.size()) spaceWanted_ = true;
    }
    if (taken > 0) dataArrived.set();
    return taken;
}

void CommBlock::setSpaceFreedListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    spaceListener_ = std::move(listener);
}

CommBlock::Locked::Locked(CommBlock& block) : block_(block), lock_(block.mutex_) {}

CommBlock::Locked::~Locked() {
    const bool wake = freed_ && block_.spaceWanted_ &&
                      (block_.fill_ == 0 || kCapacity - block_.fill_ >= kWakeRoom);
    if (wake) block_.spaceWanted_ = false;
    lock_.unlock();
    if (wake) block_.notifySpace();
}

std::string_view CommBlock::Locked::unconsumed() const {
    return {block_.buffer_.get() + block_.start_, block_.fill_};
}

void CommBlock::Locked::consume(std::size_t n) {
    n = std::min(n, block_.fill_);
    if (n == 0) return;
    block_.start_ += n;
    block_.fill_ -= n;
    if (block_.fill_ == 0) block_.start_ = 0;
    freed_ = true;
}

void CommBlock::Locked::consumeAll() {
    if (block_.fill_ > 0) freed_ = true;
    block_.start_ = 0;
    block_.fill_ = 0;
    block_.dataArrived.reset();
}

void CommBlock::engineGone() {
    bool wake;
    {
        std::lock_guard lock(mutex_);
        wake = spaceWanted_;
        spaceWanted_ = false;
    }
    if (wake) notifySpace();
}

void CommBlock::reset() {
    {
        std::lock_guard lock(mutex_);
        start_ = 0;
        fill_ = 0;
        dataArrived.reset();
    }
    result_.store(0);
}

void CommBlock::setResultIfOk(int code) {
    int expected = 0;
    result_.compare_exchange_strong(expected, code);
}

void CommBlock::clearTransferOutcome() {
    std::lock_guard lock(transferMutex_);
    transferOutcome_.reset();
}

void CommBlock::setTransferOutcome(FileTransferOutcome outcome) {
    std::lock_guard lock(transferMutex_);
    transferOutcome_ = std::move(outcome);
}

std::optional<FileTransferOutcome> CommBlock::transferOutcome() const {
    std::lock_guard lock(transferMutex_);
    return transferOutcome_;
}

void CommBlock::notifySpace() {
    std::function<void()> listener;
    {
        std::lock_guard lock(mutex_);
        listener = spaceListener_;
    }
    if (listener) listener();
}

}  // namespace morvaline
