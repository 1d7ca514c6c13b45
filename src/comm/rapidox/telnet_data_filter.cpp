#include "comm/rapidox/telnet_data_filter.h"

#include <cstring>

namespace morvaline::rapidox {
namespace {

constexpr unsigned char kIac = 0xFF;
constexpr unsigned char kSb = 0xFA;
constexpr unsigned char kSe = 0xF0;
constexpr unsigned char kWill = 0xFB;
constexpr unsigned char kDont = 0xFE;

}  // namespace

void TelnetDataFilter::filter(std::string_view in, std::string& out) {
    while (!in.empty()) {
        if (state_ == State::Data) {
            // Data up to the next IAC in one copy.
            const void* iac = std::memchr(in.data(), kIac, in.size());
            const std::size_t run =
                iac ? static_cast<std::size_t>(static_cast<const char*>(iac) - in.data())
                    : in.size();
            out.append(in.data(), run);
            in.remove_prefix(run);
            if (in.empty()) break;
        }
        const char c = in.front();
        in.remove_prefix(1);
        const auto b = static_cast<unsigned char>(c);
        switch (state_) {
            case State::Data:
                if (b == kIac)
                    state_ = State::Command;
                else
                    out += c;
                break;
            case State::Command:
                if (b == kIac) {
                    out += c;
                    state_ = State::Data;
                } else if (b >= kWill && b <= kDont) {
                    state_ = State::Option;
                } else {
                    state_ = b == kSb ? State::Sub : State::Data;
                }
                break;
            case State::Option:
                state_ = State::Data;
                break;
            case State::Sub:
                if (b == kIac) state_ = State::SubIac;
                break;
            case State::SubIac:
                state_ = b == kSe ? State::Data : State::Sub;
                break;
        }
    }
}

std::string doubleTelnetIac(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 64);
    for (;;) {
        // Up to and including the next IAC in one copy, then the IAC once more.
        const void* iac = std::memchr(bytes.data(), kIac, bytes.size());
        if (!iac) break;
        const std::size_t run =
            static_cast<std::size_t>(static_cast<const char*>(iac) - bytes.data()) + 1;
        out.append(bytes.data(), run);
        out += static_cast<char>(kIac);
        bytes.remove_prefix(run);
    }
    out.append(bytes);
    return out;
}

}  // namespace morvaline::rapidox
