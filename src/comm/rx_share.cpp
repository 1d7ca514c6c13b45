#include "comm/rx_share.h"

#include <algorithm>

namespace morvaline {

std::size_t RxShare::rawRoom() const {
    std::lock_guard lock(rawLock_);
    return kRawCapacity - raw_.size();
}

std::size_t RxShare::putRaw(std::string_view bytes) {
    std::size_t taken;
    {
        std::lock_guard lock(rawLock_);
        taken = std::min(bytes.size(), kRawCapacity - raw_.size());
        raw_.append(bytes.substr(0, taken));
        if (raw_.size() == kRawCapacity) roomWanted_ = true;
    }
    if (taken > 0) rxRead.set();
    return taken;
}

std::size_t RxShare::takeRaw(std::string& out) {
    std::size_t taken;
    std::function<void()> listener;
    {
        std::lock_guard lock(rawLock_);
        taken = raw_.size();
        out += raw_;
        raw_.clear();
        if (roomWanted_ && taken > 0) {
            roomWanted_ = false;
            listener = drainedListener_;
        }
    }
    if (listener) listener();
    return taken;
}

std::size_t RxShare::rawCount() const {
    std::lock_guard lock(rawLock_);
    return raw_.size();
}

void RxShare::clearRaw() {
    std::lock_guard lock(rawLock_);
    raw_.clear();
    roomWanted_ = false;
}

void RxShare::setDrainedListener(std::function<void()> listener) {
    std::lock_guard lock(rawLock_);
    drainedListener_ = std::move(listener);
}

}  // namespace morvaline
