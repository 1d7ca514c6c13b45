#pragma once
// Access points: the ways of reaching the host (a modem or telephony line dialling a
// number, or Telnet, optionally after a dial-up), kept in priority order in the settings
// file: section "AP%d" per entry and the list's settings in "Settings".

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "link/line_requests.h"

namespace morvaline {

class Registry;

struct AccessPoint {
    int line = 0;          // LineType (link/line_requests.h)
    int dialType = 0;      // 0 tone, 1 pulse
    int cdAlwaysOn = 0;    // ignore carrier detect
    int port = 0;          // COM port 1 ... 9, 0 none
    int flow = 1;          // 0 none, 1 RTS/CTS, 2 XON/XOFF (never written)
    int baudRate = 38400;  // (never written)
    std::string modemName = "Others";
    std::string init1 = "ATZ";
    std::string init2 = "ATE1Q0V1&C1&D2&S1S0=0";
    std::string init3 = "AT";
    std::string v42, mnp, compress, noCompress;
    int tapiPermanentLineId = 0;
    std::string tapiDeviceConfig;  // binary; empty when none
    std::string areaCode;
    std::string phoneNumber;
    std::string name;  // "APName", Shift_JIS
    int route = 0;     // login mode 0 ... 4 (loginModeOf, link/line_requests.h)
    int enable = 1;
    std::string telnetName;  // host name or address
    std::string telnetPort = "telnet";
    std::string script;  // login script (modes 2 and 3)
    std::string countryName;
    int disconnectAfterLogout = 1;
    std::string dialupName;  // dial-up connection brought up before Telnet; empty: none
    int showRasNext = 0;

    // A new entry as the access point list creates it.
    static AccessPoint makeNew();
};

// The default Telnet host of the service.
extern const char* const kDefaultTelnetHost;

struct RedialSettings {
    bool redial = false;
    int intervalSeconds = 60;  // 1 ... 3000
    int maxCount = 3;          // 1 ... 3000
};

struct AccessPointList {
    std::vector<AccessPoint> entries;  // index 0 has the highest priority
    std::string placeAreaCode;
    std::string prefixCode;
    RedialSettings redial;
    int propertyPage = 0;
    std::vector<std::string> comDevices;  // the device of port n at n - 1 (comDevice below)
};

// Loads the list; the modem database (MODEMDAT.INI) supplies the command texts of a named
// modem.
AccessPointList loadAccessPoints(const Registry& registry,
                                 const std::filesystem::path& modemDatabase);
void saveAccessPoints(Registry& registry, const AccessPointList& list);

// The names of the modem database in index order (entry 0 is "set by hand").
std::vector<std::string> modemNames(const std::filesystem::path& modemDatabase);

// The number that a modem dials: the outside-line prefix and a space, then "0", the area
// code and a space unless it is the computer's own, then the number.
std::string dialledNumber(const AccessPointList& list, const AccessPoint& ap);

// The modem commands of an access point: Init1 to Init3 when not empty, at most 127 bytes
// each; then "AT", the V.42 and compression texts, "D", "T" (tone) or "P" (pulse) or
// nothing, and the number (a modem line's is dialledNumber).
ModemDial modemDialOf(const AccessPoint& ap, const std::string& number);

// The serial ports 1 ... 9 and their devices: the setting "ComDevice%d", by default
// /dev/ttyS0 for port 1 and so on.
inline constexpr int kMaxComPort = 9;
std::string comDevice(const Registry& registry, int port);
void setComDevice(Registry& registry, int port, const std::string& device);

}  // namespace morvaline
