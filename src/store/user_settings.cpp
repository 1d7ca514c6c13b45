#include "store/user_settings.h"

#include "platform/registry.h"

namespace morvaline {

const std::array<std::string_view, kSoundSlots> kSoundValueNames = {
    "sndTimeConsistent",   "sndTimeInconsistent", "sndNoLastLogoutTime",  "sndNewMail",
    "sndAutoFinish",       "sndAutoNoLogout",     "sndAutoStop",          "sndNoConnect",
    "sndAnNewFound",       "sndMesRoomChanged",   "sndLibRoomChanged",    "sndNewMesRoomFound",
    "sndNewLibRoomFound",  "sndCannotFindMesRoom", "sndCannotFindLibRoom", "sndWarnings",
};

namespace {

constexpr std::size_t kMaxPathLength = 259;

struct ColourDefault {
    int foreground, background, underline;
};
constexpr ColourDefault kColourDefaults[kHighlightElements] = {
    {0x000000, 0xFFFFFF, 0}, {0xFFFFFF, 0x800000, 0}, {0x000080, 0xFFFFFF, 0},
    {0xFFFFFF, 0xFF00FF, 0}, {0x000000, 0x40FF40, 0}, {0x008080, 0xFFFFFF, 1},
    {0xFF0000, 0xFFFFFF, 1}, {0x800080, 0xFFFFFF, 1}, {0x008000, 0xFFFFFF, 1},
    {0xFF0000, 0xFFFFFF, 1}, {0xFF0000, 0xFFFFFF, 1}, {0x808080, 0xFFFFFF, 0},
    {0x008000, 0xFFFFFF, 0}, {0x000000, 0x00FFFF, 0}, {0xFFFFFF, 0x0000FF, 0},
    {0x000000, 0xFF00FF, 0}, {0xFF0000, 0xFFFFFF, 0}, {0x0000FF, 0xFFFFFF, 0},
    {0xFF8000, 0xFFFFFF, 0}, {0x000000, 0xC0C0C0, 0}, {0x808000, 0xFFFFFF, 0},
};

// The path values in the order in which they are stored.
struct PathValue {
    const char* name;
    std::string UserSettings::*field;
};
constexpr PathValue kPathValues[] = {
    {"DownPath", &UserSettings::downPath},     {"UpPath", &UserSettings::upPath},
    {"LogPath", &UserSettings::logPath},       {"ImportPath", &UserSettings::importPath},
    {"ExportPath", &UserSettings::exportPath}, {"SaveEnclosurePath", &UserSettings::saveEnclosurePath},
    {"AddEnclosurePath", &UserSettings::addEnclosurePath}, {"TextPath", &UserSettings::textPath},
};

struct IntValue {
    const char* name;
    int UserSettings::*field;
};
constexpr IntValue kIntValues[] = {
    {"Timeout", &UserSettings::timeout},
    {"IdleTime", &UserSettings::idleTime},
    {"DelayAfterCr", &UserSettings::delayAfterCr},
    {"SendAhead", &UserSettings::sendAhead},
    {"EnablePlaceTip", &UserSettings::enablePlaceTip},
    {"RapidoxSendSize", &UserSettings::rapidoxSendSize},
    {"RapidoxReceiveSize", &UserSettings::rapidoxReceiveSize},
    {"RapidoxQuietTime", &UserSettings::rapidoxQuietTime},
    {"HtmlShowNumber", &UserSettings::htmlShowNumber},
    {"LogMaxSize", &UserSettings::logMaxSize},
    {"LogKeep", &UserSettings::logKeep},
    {"AddrbookToolBar", &UserSettings::addrbookToolBar},
    {"AddrbookStatusBar", &UserSettings::addrbookStatusBar},
    {"UseHostReadPosition", &UserSettings::useHostReadPosition},
};

std::string indexed(const char* name, int i) { return name + std::to_string(i); }

// Values outside what the settings pages allow fall back to their defaults.
void clamp(UserSettings& s) {
    const UserSettings defaults;
    if (s.rapidoxSendSize < 1 || s.rapidoxSendSize > 25) s.rapidoxSendSize = 20;
    if (s.rapidoxReceiveSize < 1 || s.rapidoxReceiveSize > 25) s.rapidoxReceiveSize = 20;
    if (s.rapidoxQuietTime < 100 || s.rapidoxQuietTime > 10000)
        s.rapidoxQuietTime = defaults.rapidoxQuietTime;
    if (s.logMaxSize < 1 || s.logMaxSize > 1 << 21) s.logMaxSize = defaults.logMaxSize;
    if (s.logKeep < 0 || s.logKeep > 99) s.logKeep = defaults.logKeep;
    if (s.timeout <= 0) s.timeout = defaults.timeout;
    if (s.idleTime <= 0) s.idleTime = defaults.idleTime;
    if (s.delayAfterCr < 0) s.delayAfterCr = 0;
    if (s.sendAhead < 0) s.sendAhead = 0;
}

}  // namespace

void UserSettings::setDefaults(const std::string& dataDirectory) {
    *this = UserSettings();
    for (const PathValue& p : kPathValues) this->*p.field = dataDirectory;
    for (int i = 0; i < kHighlightElements; ++i) {
        foreground[i] = kColourDefaults[i].foreground;
        background[i] = kColourDefaults[i].background;
        underline[i] = kColourDefaults[i].underline;
    }
}

void loadUserSettings(const Registry& reg, std::string_view userId,
                      const std::string& dataDirectory, UserSettings& s) {
    s.setDefaults(dataDirectory);
    s.lineSpace = reg.readInt(userId, "LineSpace", s.lineSpace);
    for (const PathValue& p : kPathValues)
        s.*p.field = reg.readString(userId, p.name, dataDirectory).substr(0, kMaxPathLength);
    s.importFilterIndex = reg.readInt(userId, "ImportFilterIndex", 0);
    for (const IntValue& v : kIntValues) s.*v.field = reg.readInt(userId, v.name, s.*v.field);
    s.htmlContentTarget = reg.readString(userId, "HtmlContentTarget", s.htmlContentTarget);
    for (int i = 0; i < kHighlightElements; ++i) {
        s.foreground[i] = reg.readInt(userId, indexed("FColor", i), s.foreground[i]);
        s.background[i] = reg.readInt(userId, indexed("BColor", i), s.background[i]);
        s.underline[i] = reg.readInt(userId, indexed("UColor", i), s.underline[i]);
    }
    for (int i = 0; i < kSoundSlots; ++i)
        s.sounds.files[i] = reg.readString(userId, kSoundValueNames[i]);
    s.sounds.enabled = reg.readInt(userId, "EnableSound", 0) != 0;
    s.lineSpace = reg.readInt(userId, "LineSpace", s.lineSpace);
    s.smoothScroll = reg.readInt(userId, "SmoothScroll", s.smoothScroll);
    s.enableMButton = reg.readInt(userId, "EnableMButton", s.enableMButton);
    s.closeSuccess = reg.readInt(userId, "CloseSuccess", 1);
    clamp(s);
}

void saveUserSettings(Registry& reg, std::string_view userId, const UserSettings& s) {
    // The import filter index is stored right after the import path.
    for (std::size_t i = 0; i < std::size(kPathValues); ++i) {
        reg.writeString(userId, kPathValues[i].name, s.*kPathValues[i].field);
        if (kPathValues[i].field == &UserSettings::importPath)
            reg.writeInt(userId, "ImportFilterIndex", s.importFilterIndex);
    }
    for (const IntValue& v : kIntValues) reg.writeInt(userId, v.name, s.*v.field);
    reg.writeString(userId, "HtmlContentTarget", s.htmlContentTarget);
    for (int i = 0; i < kHighlightElements; ++i) {
        reg.writeInt(userId, indexed("FColor", i), s.foreground[i]);
        reg.writeInt(userId, indexed("BColor", i), s.background[i]);
        reg.writeInt(userId, indexed("UColor", i), s.underline[i]);
    }
    for (int i = 0; i < kSoundSlots; ++i) reg.writeString(userId, kSoundValueNames[i], s.sounds.files[i]);
    reg.writeInt(userId, "EnableSound", s.sounds.enabled ? 1 : 0);
    reg.writeInt(userId, "LineSpace", s.lineSpace);
    reg.writeInt(userId, "SmoothScroll", s.smoothScroll);
    reg.writeInt(userId, "EnableMButton", s.enableMButton);
    reg.sync();
}

void writeCloseFlag(Registry& reg, std::string_view userId, int closeSuccess) {
    reg.writeInt(userId, "CloseSuccess", closeSuccess);
    reg.sync();
}

}  // namespace morvaline
