#pragma once
// The option settings of one user, kept in the user's own section of the settings file.
// They are read whenever the document is loaded and written whenever it is saved.

#include <array>
#include <string>
#include <string_view>

#include "store/report.h"

namespace morvaline {

class Registry;

inline constexpr int kHighlightElements = 21;

struct UserSettings {
    // Folders (local UTF-8 paths ending in "/").
    std::string downPath, upPath, logPath, importPath;
    int importFilterIndex = 0;
    std::string exportPath, saveEnclosurePath, addEnclosurePath, textPath;
    // The host dialogue (milliseconds).
    int timeout = 120000;
    int idleTime = 800;
    int delayAfterCr = 0;
    int sendAhead = 0;
    int enablePlaceTip = 1;
    // Blocks in flight of a Rapidox transfer, 1 ... 25.
    int rapidoxSendSize = 20;
    int rapidoxReceiveSize = 20;
    // Milliseconds a download waits after a lone EOT before it takes it as the end of the
    // batch, 100 ... 10,000: a byte that follows sooner shows the EOT was noise.
    int rapidoxQuietTime = 10000;
    // HTML export: the frame that a page's contents link opens in, and whether numbered
    // places show message numbers.
    std::string htmlContentTarget = "_top";
    int htmlShowNumber = 1;
    // The capture log: kilobytes per file before it moves aside, and how many older files
    // are kept.
    int logMaxSize = 16384;
    int logKeep = 3;
    int addrbookToolBar = 1;
    int addrbookStatusBar = 1;
    // Forum rooms are read from the host's read position (1) or from the last-read number
    // stored here (0).
    int useHostReadPosition = 0;
    // Highlight colours of the message view (0x00BBGGRR) and their switches.
    std::array<int, kHighlightElements> foreground{}, background{}, underline{};
    SoundSettings sounds;
    int lineSpace = 0;
    int smoothScroll = 0;
    int enableMButton = 0;
    // 1 when the last run closed the document cleanly.
    int closeSuccess = 1;

    // The defaults of a user whose section has no values; paths default to dataDirectory.
    void setDefaults(const std::string& dataDirectory);
};

// The names of the event sound values, in slot order.
extern const std::array<std::string_view, kSoundSlots> kSoundValueNames;

void loadUserSettings(const Registry& registry, std::string_view userId,
                      const std::string& dataDirectory, UserSettings& settings);
// Writes every value except "CloseSuccess".
void saveUserSettings(Registry& registry, std::string_view userId, const UserSettings& settings);
void writeCloseFlag(Registry& registry, std::string_view userId, int closeSuccess);

}  // namespace morvaline
