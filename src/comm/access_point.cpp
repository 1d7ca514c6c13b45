#include "comm/access_point.h"

#include <algorithm>

#include "platform/registry.h"
#include "platform/text_codec.h"

namespace morvaline {

const char* const kDefaultTelnetHost = "host.ludrix.jp";

namespace {

constexpr int kMaxModems = 10000;
constexpr int kMaxRedial = 3000;

std::string section(std::size_t index) {
    return "AP" + std::to_string(index);
}

struct IntKey {
    const char* key;
    int AccessPoint::*field;
    bool written;
};
constexpr IntKey kIntKeys[] = {
    {"Line", &AccessPoint::line, true},
    {"DialType", &AccessPoint::dialType, true},
    {"CdAlwaysOn", &AccessPoint::cdAlwaysOn, true},
    {"Port", &AccessPoint::port, true},
    {"Flow", &AccessPoint::flow, false},
    {"BaudRate", &AccessPoint::baudRate, false},
    {"Route", &AccessPoint::route, true},
    {"Enable", &AccessPoint::enable, true},
    {"DisconnectAfterLogout", &AccessPoint::disconnectAfterLogout, true},
    {"ShowRasNext", &AccessPoint::showRasNext, true},
};

struct TextKey {
    const char* key;
    std::string AccessPoint::*field;
};
constexpr TextKey kTextKeys[] = {
    {"ModemName", &AccessPoint::modemName},     {"AreaCode", &AccessPoint::areaCode},
    {"PhoneNumber", &AccessPoint::phoneNumber}, {"APName", &AccessPoint::name},
    {"TelnetName", &AccessPoint::telnetName},   {"TelnetPort", &AccessPoint::telnetPort},
    {"Script", &AccessPoint::script},           {"CountryName", &AccessPoint::countryName},
    {"DialupName", &AccessPoint::dialupName},
};

// The modem command texts: Init1 and Init2 are fixed for a modem of the database, the other
// five come from the database's sections.
struct CommandKey {
    const char* key;
    std::string AccessPoint::*field;
};
constexpr CommandKey kCommandKeys[] = {
    {"Init1", &AccessPoint::init1},
    {"Init2", &AccessPoint::init2},
    {"Init3", &AccessPoint::init3},
    {"V42", &AccessPoint::v42},
    {"MNP", &AccessPoint::mnp},
    {"Compress", &AccessPoint::compress},
    {"NoCompress", &AccessPoint::noCompress},
};

int clampRedial(int value, int fallback) {
    return value >= 1 && value <= kMaxRedial ? value : fallback;
}

}  // namespace

AccessPoint AccessPoint::makeNew() {
    AccessPoint ap;
    ap.name = sj("新しいｱｸｾｽﾎﾟｲﾝﾄ");
    ap.line = static_cast<int>(LineType::Telnet);
    ap.telnetName = kDefaultTelnetHost;
    ap.countryName = sj("日本 (81)");
    return ap;
}

std::vector<std::string> modemNames(const std::filesystem::path& modemDatabase) {
    const Registry db(modemDatabase);
    std::vector<std::string> names;
    for (int i = 0; i < kMaxModems && db.contains("Name", std::to_string(i)); ++i)
        names.push_back(db.readString("Name", std::to_string(i)));
    return names;
}

AccessPointList loadAccessPoints(const Registry& reg, const std::filesystem::path& modemDatabase) {
    AccessPointList list;
    list.placeAreaCode = reg.readString("Settings", "PlaceAreaCode");
    list.prefixCode = reg.readString("Settings", "PrefixCode");
    list.propertyPage = reg.readInt("Settings", "PropertyPage", 0);
    const std::vector<std::string> modems = modemNames(modemDatabase);
    const Registry db(modemDatabase);
    const int count = std::clamp(reg.readInt("Settings", "NumberOfAP", 0), 0, 10000);
    for (int i = 0; i < count; ++i) {
        const std::string s = section(static_cast<std::size_t>(i));
        AccessPoint ap;
        ap.telnetName = kDefaultTelnetHost;
        ap.countryName = sj("日本 (81)");
        for (const IntKey& k : kIntKeys) ap.*k.field = reg.readInt(s, k.key, ap.*k.field);
        for (const TextKey& k : kTextKeys) ap.*k.field = reg.readString(s, k.key, ap.*k.field);
        const auto found = std::find(modems.begin(), modems.end(), ap.modemName);
        const auto modem = found - modems.begin();
        if (!ap.modemName.empty() && found != modems.end() && modem > 0) {
            for (const CommandKey& k : kCommandKeys)
                if (std::string_view(k.key) != "Init1" && std::string_view(k.key) != "Init2")
                    ap.*k.field = db.readString(k.key, std::to_string(modem));
        } else {
            for (const CommandKey& k : kCommandKeys)
                ap.*k.field = reg.readString(s, k.key, ap.*k.field);
        }
        ap.tapiPermanentLineId = reg.readInt(s, "TAPIPermanentLineID", 0);
        const int configSize = reg.readInt(s, "TAPISizeDeviceConfig", 0);
        if (configSize > 0) {
            ap.tapiDeviceConfig = reg.readString(s, "TAPIDeviceConfig");
            // A block that is missing or of another length is dropped.
            if (static_cast<int>(ap.tapiDeviceConfig.size()) != configSize)
                ap.tapiDeviceConfig.clear();
        }
        list.entries.push_back(std::move(ap));
    }
    list.redial.redial = reg.readInt("Settings", "Redial", 0) != 0;
    list.redial.intervalSeconds = clampRedial(reg.readInt("Settings", "RedialInterval", 60), 60);
    list.redial.maxCount = clampRedial(reg.readInt("Settings", "RedialMaxCount", 3), 3);
    for (int port = 1; port <= kMaxComPort; ++port) list.comDevices.push_back(comDevice(reg, port));
    return list;
}

void saveAccessPoints(Registry& reg, const AccessPointList& list) {
    reg.writeString("Settings", "PlaceAreaCode", list.placeAreaCode);
    reg.writeString("Settings", "PrefixCode", list.prefixCode);
    reg.writeInt("Settings", "PropertyPage", list.propertyPage);
    reg.writeInt("Settings", "NumberOfAP", static_cast<int>(list.entries.size()));
    for (std::size_t i = list.entries.size(); i-- > 0;) {
        const AccessPoint& ap = list.entries[i];
        const std::string s = section(i);
        for (const IntKey& k : kIntKeys)
            if (k.written) reg.writeInt(s, k.key, ap.*k.field);
        for (const TextKey& k : kTextKeys) reg.writeString(s, k.key, ap.*k.field);
        for (const CommandKey& k : kCommandKeys) reg.writeString(s, k.key, ap.*k.field);
        reg.writeInt(s, "TAPIPermanentLineID", ap.tapiPermanentLineId);
        reg.writeInt(s, "TAPISizeDeviceConfig", static_cast<int>(ap.tapiDeviceConfig.size()));
        if (ap.tapiDeviceConfig.empty())
            reg.removeKey(s, "TAPIDeviceConfig");
        else
            reg.writeString(s, "TAPIDeviceConfig", ap.tapiDeviceConfig);
    }
    reg.writeInt("Settings", "Redial", list.redial.redial ? 1 : 0);
    reg.writeInt("Settings", "RedialInterval", list.redial.intervalSeconds);
    reg.writeInt("Settings", "RedialMaxCount", list.redial.maxCount);
    reg.sync();
}

std::string dialledNumber(const AccessPointList& list, const AccessPoint& ap) {
    auto withoutTrunkZero = [](std::string_view code) {
        return code.starts_with('0') ? code.substr(1) : code;
    };
    std::string number;
    if (!list.prefixCode.empty()) number += list.prefixCode + " ";
    if (!ap.areaCode.empty()) {
        const std::string_view area = withoutTrunkZero(ap.areaCode);
        if (area != withoutTrunkZero(list.placeAreaCode)) number += "0 " + std::string(area) + " ";
    }
    return number + ap.phoneNumber;
}

ModemDial modemDialOf(const AccessPoint& ap, const std::string& number) {
    constexpr std::size_t kCommandLimit = 127;
    ModemDial dial;
    for (const std::string* init : {&ap.init1, &ap.init2, &ap.init3})
        if (!init->empty()) dial.initCommands.push_back(init->substr(0, kCommandLimit) + "\r");
    dial.dialCommand = "AT" + ap.v42 + ap.compress + "D";
    if (ap.dialType == 0) dial.dialCommand += "T";
    if (ap.dialType == 1) dial.dialCommand += "P";
    dial.dialCommand += number + "\r";
    return dial;
}

std::string comDevice(const Registry& registry, int port) {
    return registry.readString("Settings", "ComDevice" + std::to_string(port),
                               "/dev/ttyS" + std::to_string(port - 1));
}

void setComDevice(Registry& registry, int port, const std::string& device) {
    registry.writeString("Settings", "ComDevice" + std::to_string(port), device);
}

}  // namespace morvaline
