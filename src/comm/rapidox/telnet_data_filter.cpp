#include "comm/rapidox/telnet_data_filter.h"

namespace morvaline::rapidox {
namespace {

constexpr unsigned char kIac = 0xFF;
constexpr unsigned char kSb = 0xFA;
constexpr unsigned char kSe = 0xF0;
constexpr unsigned char kWill = 0xFB;
constexpr unsigned char kDont = 0xFE;

}  // namespace

void TelnetDataFilter::filter(std::string_view in, std::string& out) {
    for (char c : in) {
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
    for (char c : bytes) {
        out += c;
        if (static_cast<unsigned char>(c) == kIac) out += c;
    }
    return out;
}

}  // namespace morvaline::rapidox
