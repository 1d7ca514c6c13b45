#pragma once
// The host's texts of logging in and out, in Shift_JIS, with the screen sets the login
// waits for.

#include <string>

#include "patrol/engine/wait_outcome.h"

namespace morvaline {

struct LoginTexts {
    LoginTexts();
    LoginTexts(const LoginTexts&) = delete;
    LoginTexts& operator=(const LoginTexts&) = delete;

    // --- The login prompts, in either language ---
    std::string userIdPrompt = "USER_ID:";
    std::string userIdPromptJapanese;
    std::string passwordPrompt = "PASSWORD: ";
    std::string passwordPromptJapanese;

    // --- The screens after the password ---
    std::string noticesQuestion;  // "お知らせを表示しますか"
    std::string profileQuestion;  // "＊プロファイルを修正しますか", and in half-width kana
    std::string profileQuestionKana;
    std::string mainMenu;  // the main menu's title line
    // The banner with the host's time of the last logout, in full width and in half-width
    // kana.
    std::string lastLogoutBanner;
    std::string lastLogoutBannerKana;
    std::string wrongPassword;
    std::string doubleLogin;
    std::string congested;
    std::string newMailEntry;  // the main menu's mail entry when new mail has come

    // What the host shows after the password, line by line.
    enum class AfterPassword {
        Line,
        NoticesQuestion,
        ProfileQuestion,
        ProfileQuestionKana,
        PressReturn
    };
    Screen<AfterPassword, 5> afterPassword;

    // The main menu's prompt, short or bare.
    std::string mainMenuPrompt;
    std::string mainMenuPromptBare;

    // --- The profile menu ---
    // The line that shows a setting's current value, "（現在値）", and the choices "１．" and
    // "２．". A host that sends JIS to a terminal without a kanji shift shows the same text
    // as the bare row and cell bytes of JIS X 0208 without escape sequences ("!J8=:_CM!K",
    // "#2!%"): those forms count too.
    std::string currentValue;
    std::string currentValueJis;
    std::string choiceOne;
    std::string choiceTwo;
    std::string choiceTwoJis;

    // --- Logging out ---
    std::string logOutLine = "\nLOG OUT   DATE ";  // the host's logout time follows
    std::string logOutTime = "      TIME";
    std::string thanks;  // "ご利用ありがとうございました"
    enum class Goodbye { LogOutLine, Thanks };
    Screen<Goodbye, 2> goodbye;
};

const LoginTexts& loginTexts();

}  // namespace morvaline
