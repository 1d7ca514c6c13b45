#include "comm/rapidox/telnet_channel.h"

namespace morvaline::rapidox {

TransferChannel::ReadResult TelnetChannel::read(std::string& into, TimePoint deadline) {
    // Bytes that were only Telnet commands are no data: keep waiting for real ones.
    const std::size_t before = into.size();
    while (into.size() == before) {
        raw_.clear();
        const ReadResult result = line_.read(raw_, deadline);
        if (result != ReadResult::Data) return result;
        filter_.filter(raw_, into);
    }
    return ReadResult::Data;
}

bool TelnetChannel::write(std::string_view bytes) {
    return line_.write(doubleTelnetIac(bytes));
}

bool TelnetChannel::writeFinal(std::string_view bytes) {
    return line_.writeFinal(doubleTelnetIac(bytes));
}

}  // namespace morvaline::rapidox
