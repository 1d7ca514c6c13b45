#pragma once
// The host's texts that every service meets, in Shift_JIS: the menu prompt "番号または
// コマンド(...)=" in its forms, the return-key prompt, and the lines that start a file
// transfer. The texts of one service are in that service's own catalogue.

#include <string>

namespace morvaline {

struct MenuTexts {
    MenuTexts();
    MenuTexts(const MenuTexts&) = delete;
    MenuTexts& operator=(const MenuTexts&) = delete;

    std::string promptStart;  // "番号またはコマンド", where every menu prompt begins
    std::string promptLine;   // the same at the start of a line
    std::string promptOpen;   // "番号またはコマンド(": the command list follows
    std::string promptMore;   // "番号またはコマンド<": a paged list goes on
    std::string promptEnd = ")=";
    std::string pressReturn;    // "リターンキーを押して下さい="
    std::string nextScreen;     // the line under a screen that goes on when "N" is sent
    std::string startDownload;  // the host asks for the transfer program to receive
    std::string startUpload;    // ... and to send
};

const MenuTexts& menuTexts();

}  // namespace morvaline
