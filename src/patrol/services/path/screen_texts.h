#pragma once
// The host's texts that the generic screen handler answers on the way to a place by its
// host path, in Shift_JIS, with the screen set it waits for.

#include <array>
#include <string>

#include "patrol/engine/wait_outcome.h"

namespace morvaline {

struct ScreenTexts {
    ScreenTexts();
    ScreenTexts(const ScreenTexts&) = delete;
    ScreenTexts& operator=(const ScreenTexts&) = delete;

    std::string feeStart;  // "通信料の他に情報料": a service that costs more than the line
    std::string password;  // "PASSWORD:"
    // Screens that wait for a text: left at once with "..".
    std::array<std::string, 3> textEntry;
    // Prompts that end a screen; the command list follows up to ")=".
    std::array<std::string, 6> endPrompts;
    std::string pressReturn;
    std::string wrongPassword;  // "パスワードが間違っています。訂正して下さい。"
    std::string notAvailable;   // "申し訳ございませんが御利用できません。"
    std::string wrongCommand;   // "番号またはコマンドが間違っています。": the host refused a step

    enum class Shown {
        Fee,
        Password,
        TextEntry1,
        TextEntry2,
        TextEntry3,
        KanjiName,
        Channel,
        IdPrompt,
        Question,
        Command,
        Menu,
        PressReturn,
        WrongPassword,
        NotAvailable,
    };
    Screen<Shown, 14> screen;
};

const ScreenTexts& screenTexts();

}  // namespace morvaline
