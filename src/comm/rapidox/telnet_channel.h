#pragma once
// A transfer channel on a Telnet line: wraps the channel of the raw connection, doubles
// every 0xFF written and hands only data bytes to the transfer.

#include "comm/rapidox/telnet_data_filter.h"
#include "comm/rapidox/transfer_channel.h"

namespace morvaline::rapidox {

class TelnetChannel : public TransferChannel {
public:
    explicit TelnetChannel(TransferChannel& line) : line_(line) {}

    ReadResult read(std::string& into, TimePoint deadline) override;
    bool write(std::string_view bytes) override;
    bool writeFinal(std::string_view bytes) override;
    void abort() override { line_.abort(); }

private:
    TransferChannel& line_;
    TelnetDataFilter filter_;
    std::string raw_;
};

}  // namespace morvaline::rapidox
