// morvaline-cli setting: the settings of writing offline kept in the user's document (items
// reserved at once, strict addressee IDs, the internet mail domains, the editor's lines).

#include <charconv>
#include <functional>
#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/recipients.h"
#include "platform/text_codec.h"

namespace morvaline::cli {
namespace {

struct Setting {
    std::string_view name;
    std::string_view help;
    std::function<std::string(CTolDoc&)> get;
    std::function<void(CTolDoc&, const std::string&)> set;  // the value as typed (UTF-8)
};

int number(const std::string& value) {
    int n = 0;
    const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || ptr != value.data() + value.size())
        throw CommandError{"'" + value + "' is no number"};
    return n;
}

int onOff(const std::string& value) {
    if (value != "on" && value != "off") throw CommandError{"the value is on or off"};
    return value == "on" ? 1 : 0;
}

Setting flag(std::string_view name, std::string_view help, int position) {
    return {name, help, [position](CTolDoc& d) { return d.integer(position) ? "on" : "off"; },
            [position](CTolDoc& d, const std::string& v) { d.setInteger(position, onOff(v)); }};
}

// An empty domain goes back to the default.
Setting domain(std::string_view name, std::string_view help, std::string MailDomains::*field,
               int position) {
    return {name, help, [field](CTolDoc& d) { return mailDomainsOf(d).*field; },
            [position](CTolDoc& d, const std::string& v) {
                for (const char c : v)
                    if (c <= ' ' || c >= 0x7F || c == '@' || c == ',' || c == '<' || c == '>')
                        throw CommandError{"'" + v + "' is no mail domain"};
                d.setString(position, v);
            }};
}

Setting editorNumber(std::string_view name, std::string_view help, int EditorSettings::*field,
                     int low, int high) {
    return {name, help, [field](CTolDoc& d) { return std::to_string(d.editorSettings().*field); },
            [field, low, high](CTolDoc& d, const std::string& v) {
                EditorSettings s = d.editorSettings();
                s.*field = number(v);
                if (s.*field < low || s.*field > high)
                    throw CommandError{"'" + v + "' is out of range"};
                d.setEditorSettings(s);
            }};
}

const std::vector<Setting>& settings() {
    static const std::vector<Setting> all = {
        flag("reserve-at-once", "new mails, replies and forwards are reserved at once",
             docint::kReserveAtOnce),
        flag("strict-ids", "addressees must be IDs or gateway addresses", docint::kStrictUserIds),
        domain("own-domain", "the internet domain of your own address", &MailDomains::own,
               docstr::kOwnMailDomain),
        domain("ludrix-domain", "the domain that LDX>ID addressees get", &MailDomains::ludrix,
               docstr::kLudrixGatewayDomain),
        domain("cis-domain", "the domain that CIS>ID addressees get", &MailDomains::cis,
               docstr::kCisGatewayDomain),
        editorNumber("line-width", "columns of a line (16-79)", &EditorSettings::normalWidth,
                     EditorSettings::kMinWidth, EditorSettings::kMaxWidth),
        editorNumber("quoted-width", "columns of a quoted line (16-79)",
                     &EditorSettings::quotedWidth, EditorSettings::kMinWidth,
                     EditorSettings::kMaxWidth),
        editorNumber("tab-width", "columns of a tab (1-16)", &EditorSettings::tabWidth,
                     EditorSettings::kMinTab, EditorSettings::kMaxTab),
        editorNumber("word-wrap", "alphanumeric words move whole (0/1)", &EditorSettings::wordWrap,
                     0, 1),
        editorNumber("kinsoku", "the Japanese line-breaking rules (0/1)", &EditorSettings::kinsoku,
                     0, 1),
        {"quote-mark", "the mark of quoted lines (at most 8 bytes)",
         [](CTolDoc& d) { return utf8(d.editorSettings().quoteMark); },
         [](CTolDoc& d, const std::string& v) {
             EditorSettings s = d.editorSettings();
             s.quoteMark = utf8ToSjis(v);
             if (s.quoteMark.size() > EditorSettings::kMaxQuoteMark)
                 throw CommandError{"a quote mark has at most 8 bytes"};
             d.setEditorSettings(s);
         }},
    };
    return all;
}

}  // namespace

int commandSetting(Session& session, Args args) {
    constexpr std::string_view usage = "setting ID [NAME [VALUE]]";
    const std::string userId = takeArgument(args, usage);
    const std::string name = args.empty() ? std::string() : takeArgument(args, usage);
    const std::optional<std::string> value =
        args.empty() ? std::nullopt : std::optional<std::string>(takeArgument(args, usage));
    expectNoMoreArguments(args, usage);
    const OpenedUser doc = session.openUser(userId);
    for (const Setting& s : settings()) {
        if (!name.empty() && s.name != name) continue;
        if (value) {
            s.set(*doc, *value);
            saveUser(*doc);
        }
        std::cout << s.name << " = " << s.get(*doc);
        if (name.empty()) std::cout << "    (" << s.help << ")";
        std::cout << '\n';
        if (!name.empty()) return 0;
    }
    if (!name.empty()) throw CommandError{"no setting '" + name + "'"};
    return 0;
}

}  // namespace morvaline::cli
