#pragma once
// The words a Hayes modem answers with, for every side that talks to a modem: the set-up
// commands are answered OK or ERROR, a dial command with one of the dial answers, looked
// for in this order ("NO " stands for NO CARRIER, NO DIALTONE and NO ANSWER).

#include <array>
#include <string_view>

namespace morvaline {

enum class SetupAnswer { Ok, Error };
inline constexpr std::array<std::string_view, 2> kSetupAnswers{"\nOK", "\nERROR"};

enum class DialAnswer { Connect, Busy, No, Forbidden, Delayed, Error };
inline constexpr std::array<std::string_view, 6> kDialAnswers{"CONNECT", "BUSY",    "NO ",
                                                              "FORBIDDEN", "DELAYED", "ERROR"};

}  // namespace morvaline
