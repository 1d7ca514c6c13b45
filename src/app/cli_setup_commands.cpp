// morvaline-cli commands that prepare patrols: access points, reservations and patterns.

#include <algorithm>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "app/cli_terminal.h"
#include "comm/access_point.h"
#include "comm/line_device.h"
#include "platform/base_paths.h"
#include "platform/text_codec.h"

namespace morvaline::cli {
namespace {

std::filesystem::path modemDatabase() { return moduleDataDirectory() / "MODEMDAT.INI"; }

int numberArgument(const std::string& text, std::string_view what) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("-0123456789") != std::string::npos)
        throw CommandError{std::string(what) + " must be a number, not '" + text + "'"};
    return std::stoi(text);
}

bool switchArgument(const std::string& text) {
    if (text == "on" || text == "1" || text == "yes") return true;
    if (text == "off" || text == "0" || text == "no") return false;
    throw CommandError{"expected on or off, not '" + text + "'"};
}

// Sets one field of an access point by its key name in the settings file.
void setField(AccessPoint& ap, const std::string& key, const std::string& value) {
    struct IntField {
        const char* key;
        int AccessPoint::*field;
    };
    static constexpr IntField kInts[] = {
        {"Line", &AccessPoint::line},       {"DialType", &AccessPoint::dialType},
        {"CdAlwaysOn", &AccessPoint::cdAlwaysOn}, {"Port", &AccessPoint::port},
        {"Route", &AccessPoint::route},     {"Enable", &AccessPoint::enable},
        {"DisconnectAfterLogout", &AccessPoint::disconnectAfterLogout},
        {"TAPIPermanentLineID", &AccessPoint::tapiPermanentLineId},
    };
    struct TextField {
        const char* key;
        std::string AccessPoint::*field;
        bool japanese;  // a text shown to the user: kept in Shift_JIS
    };
    static constexpr TextField kTexts[] = {
        {"APName", &AccessPoint::name, true},         {"TelnetName", &AccessPoint::telnetName, false},
        {"TelnetPort", &AccessPoint::telnetPort, false}, {"Script", &AccessPoint::script, true},
        {"AreaCode", &AccessPoint::areaCode, false},  {"PhoneNumber", &AccessPoint::phoneNumber, false},
        {"DialupName", &AccessPoint::dialupName, true}, {"ModemName", &AccessPoint::modemName, true},
        {"Init1", &AccessPoint::init1, false},        {"Init2", &AccessPoint::init2, false},
        {"Init3", &AccessPoint::init3, false},        {"V42", &AccessPoint::v42, false},
        {"Compress", &AccessPoint::compress, false},  {"CountryName", &AccessPoint::countryName, true},
    };
    for (const IntField& f : kInts)
        if (key == f.key) {
            ap.*f.field = numberArgument(value, key);
            return;
        }
    for (const TextField& f : kTexts)
        if (key == f.key) {
            ap.*f.field = f.japanese ? utf8ToSjis(value) : value;
            return;
        }
    throw CommandError{"unknown field " + key +
                       " (Line, APName, TelnetName, TelnetPort, Route, Enable, Script, "
                       "DisconnectAfterLogout, DialType, CdAlwaysOn, Port, AreaCode, PhoneNumber, "
                       "DialupName, ModemName, Init1, Init2, Init3, V42, Compress, CountryName, "
                       "TAPIPermanentLineID)"};
}

std::size_t apIndex(const AccessPointList& list, const std::string& text) {
    const int index = numberArgument(text, "the access point number");
    if (index < 1 || index > static_cast<int>(list.entries.size()))
        throw CommandError{"there is no access point " + text + " (see ap list)"};
    return static_cast<std::size_t>(index - 1);
}

void printAccessPoints(const AccessPointList& list) {
    static constexpr const char* kLines[] = {"telephony", "modem", "telnet"};
    int n = 0;
    for (const AccessPoint& ap : list.entries) {
        const char* line = ap.line >= 0 && ap.line <= 2 ? kLines[ap.line] : "?";
        std::cout << ++n << (ap.enable ? "  [x] " : "  [ ] ") << utf8(ap.name) << "  " << line;
        if (ap.line == static_cast<int>(LineType::Telnet))
            std::cout << " " << ap.telnetName << ":" << ap.telnetPort;
        else if (ap.line == static_cast<int>(LineType::Tapi))
            std::cout << " line device " << ap.tapiPermanentLineId << " " << utf8(canonicalNumber(ap));
        else
            std::cout << " port " << ap.port << " " << dialledNumber(list, ap);
        if (!ap.dialupName.empty()) std::cout << " after dial-up " << utf8(ap.dialupName);
        std::cout << "  login mode " << ap.route << (ap.disconnectAfterLogout ? "" : "  stays connected")
                  << '\n';
    }
    if (n == 0) std::cout << "no access points\n";
    std::cout << "redial " << (list.redial.redial ? "on" : "off") << ", interval " << list.redial.intervalSeconds
              << " s, at most " << list.redial.maxCount << " times\n";
}

}  // namespace

int commandAccessPoints(Session& session, Args args) {
    constexpr std::string_view usage =
        "ap list | add NAME --host HOST[:PORT] [--route N] | set N FIELD VALUE | remove N | "
        "move N TO | enable N on|off | redial on|off [--interval SECONDS] [--max COUNT] | "
        "device PORT [PATH]";
    const std::string interval = takeOption(args, "--interval");
    const std::string maxCount = takeOption(args, "--max");
    const std::string host = takeOption(args, "--host");
    const std::string route = takeOption(args, "--route");
    const std::string action = takeArgument(args, usage);
    if (action == "device") {
        const int port = numberArgument(takeArgument(args, usage), "the port number");
        if (port < 1 || port > kMaxComPort) throw CommandError{"the port number is 1 ... 9"};
        if (!args.empty()) setComDevice(session.registry(), port, takeArgument(args, usage));
        expectNoMoreArguments(args, usage);
        if (!session.registry().sync()) throw CommandError{session.registry().error()};
        std::cout << "port " << port << ": " << comDevice(session.registry(), port) << '\n';
        return 0;
    }
    AccessPointList list = loadAccessPoints(session.registry(), modemDatabase());
    if (action == "list") {
        expectNoMoreArguments(args, usage);
        printAccessPoints(list);
        return 0;
    }
    if (action == "add") {
        AccessPoint ap = AccessPoint::makeNew();
        ap.name = utf8ToSjis(takeArgument(args, usage));
        if (!host.empty()) {
            const std::size_t colon = host.rfind(':');
            ap.telnetName = host.substr(0, colon);
            if (colon != std::string::npos) ap.telnetPort = host.substr(colon + 1);
        }
        if (!route.empty()) ap.route = numberArgument(route, "the login mode");
        list.entries.push_back(std::move(ap));
    } else if (action == "set") {
        const std::size_t index = apIndex(list, takeArgument(args, usage));
        const std::string field = takeArgument(args, usage);
        setField(list.entries[index], field, takeArgument(args, usage));
    } else if (action == "remove") {
        list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(apIndex(list, takeArgument(args, usage))));
    } else if (action == "move") {
        const std::size_t from = apIndex(list, takeArgument(args, usage));
        const std::size_t to = apIndex(list, takeArgument(args, usage));
        AccessPoint moved = std::move(list.entries[from]);
        list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(from));
        list.entries.insert(list.entries.begin() + static_cast<std::ptrdiff_t>(to), std::move(moved));
    } else if (action == "enable") {
        const std::size_t index = apIndex(list, takeArgument(args, usage));
        list.entries[index].enable = switchArgument(takeArgument(args, usage)) ? 1 : 0;
    } else if (action == "redial") {
        list.redial.redial = switchArgument(takeArgument(args, usage));
        auto clamp = [](int v) { return std::clamp(v, 1, 3000); };
        if (!interval.empty()) list.redial.intervalSeconds = clamp(numberArgument(interval, "--interval"));
        if (!maxCount.empty()) list.redial.maxCount = clamp(numberArgument(maxCount, "--max"));
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    expectNoMoreArguments(args, usage);
    saveAccessPoints(session.registry(), list);
    if (!session.registry().sync()) throw CommandError{session.registry().error()};
    printAccessPoints(list);
    return 0;
}

int commandReserve(Session& session, Args args) {
    constexpr std::string_view usage = "reserve ID PLACE [ENTRY|none]";
    const std::string userId = takeArgument(args, usage);
    const std::string placeName = takeArgument(args, usage);
    const std::string choice = args.empty() ? std::string() : takeArgument(args, usage);
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.openUser(userId);
    const int place = findPlace(*doc, placeName);
    const CItem item = doc->tree().item(place);
    if (item.m_nKind < 0 || item.m_nKind >= CTolDoc::kReservationMenus || doc->menu(item.m_nKind).entries().empty())
        throw CommandError{"'" + placeName + "' cannot be reserved"};
    const CReserveArray& menu = doc->menu(item.m_nKind);
    if (!choice.empty()) {
        int reserve = -1;
        if (choice != "none") {
            const auto& entries = menu.entries();
            const auto byName = std::find_if(entries.begin(), entries.end(),
                                             [&](const CReserve& e) { return e.name == utf8ToSjis(choice); });
            if (byName != entries.end()) {
                reserve = byName->id;
            } else {
                const int n = numberArgument(choice, "the menu entry");
                if (n < 1 || n > static_cast<int>(entries.size())) throw CommandError{"no menu entry " + choice};
                reserve = entries[static_cast<std::size_t>(n - 1)].id;
            }
        }
        doc->tree().setReserve(place, reserve);
        saveUser(*doc);
    }
    const int current = doc->tree().item(place).m_nReserve;
    int n = 0;
    for (const CReserve& entry : menu.entries())
        std::cout << (entry.id == current ? "* " : "  ") << ++n << "  " << utf8(entry.name) << " ("
                  << static_cast<char>('A' + entry.priority) << ")\n";
    if (!doc->tree().item(place).isReserved()) std::cout << "* none\n";
    return 0;
}

int commandPattern(Session& session, Args args) {
    constexpr std::string_view usage = "pattern ID list | select NAME | save NAME";
    const std::string userId = takeArgument(args, usage);
    const std::string action = takeArgument(args, usage);
    const std::string name = action == "list" ? std::string() : utf8ToSjis(takeArgument(args, usage));
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.openUser(userId);
    if (action == "select") {
        if (!doc->selectPattern(name)) throw CommandError{"no pattern named " + utf8(name)};
    } else if (action == "save") {
        // The tree's reservations become the named pattern, which is then the current one.
        const auto& patterns = doc->patterns();
        const auto it = std::find_if(patterns.begin(), patterns.end(), [&](const CRsrvPat& p) { return p.name == name; });
        const int index = it != patterns.end() ? static_cast<int>(it - patterns.begin()) : doc->addPattern(name);
        doc->setInteger(docint::kCurrentPattern, index);
        doc->rememberReservations();
    } else if (action != "list") {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    if (action != "list") saveUser(*doc);
    for (std::size_t i = 0; i < doc->patterns().size(); ++i)
        std::cout << (static_cast<int>(i) == doc->currentPattern() ? "* " : "  ") << utf8(doc->patterns()[i].name)
                  << "  (" << doc->patterns()[i].entries.size() << " places)\n";
    return 0;
}

// "--ap N" opens the serial port of access point N (a modem or a telephony line) for the
// user to talk to the modem; otherwise the terminal connects over Telnet.
int commandTerminal(Session& session, Args args) {
    const std::string apNumber = takeOption(args, "--ap");
    if (apNumber.empty()) return runTerminalCommand(args);
    const AccessPointList list = loadAccessPoints(session.registry(), modemDatabase());
    const AccessPoint& ap = list.entries[apIndex(list, apNumber)];
    switch (static_cast<LineType>(ap.line)) {
        case LineType::Tapi:
            return runTerminalCommand(args, lineDeviceCall(list, ap).port);
        case LineType::Modem:
            if (ap.port < 1 || ap.port > static_cast<int>(list.comDevices.size()))
                throw CommandError{"access point " + apNumber + " has no serial port (ap set " +
                                   apNumber + " Port N)"};
            return runTerminalCommand(
                args, SerialSettings{list.comDevices[static_cast<std::size_t>(ap.port - 1)],
                                     ap.baudRate, ap.flow});
        default:
            throw CommandError{"access point " + apNumber + " is a Telnet line: give its HOST[:PORT]"};
    }
}

}  // namespace morvaline::cli
