#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <charconv>

#include "platform/ascii_case.h"
#include "platform/ascii_digits.h"
#include "platform/atomic_file.h"
#include "platform/base_paths.h"
#include "platform/text_trim.h"

namespace morvaline {
namespace {

template <typename Range>
auto findNamed(Range& range, std::string_view name, auto nameOf) {
    auto it = range.begin();
    for (; it != range.end(); ++it)
        if (equalsNoCase(nameOf(*it), name)) break;
    return it;
}

// Length of the valid UTF-8 sequence at the start of s, 0 when there is none.
std::size_t validUtf8Length(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    std::size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                    : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (len == 0 || len > s.size()) return 0;
    for (std::size_t i = 1; i < len; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
    return len;
}

std::string escape(std::string_view s, std::string_view special) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '\\') {
            out += "\\\\";
            ++i;
        } else if (c >= 0x20 && c < 0x7F && special.find(static_cast<char>(c)) == special.npos) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t n = c >= 0x80 ? validUtf8Length(s.substr(i)) : 0; n > 0) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            ++i;
        }
    }
    return out;
}

std::string unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
                   hexDigitValue(s[i + 2]) >= 0 && hexDigitValue(s[i + 3]) >= 0) {
            out += static_cast<char>(hexDigitValue(s[i + 2]) * 16 + hexDigitValue(s[i + 3]));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Blanks and tabs around a name or value, and the CR of a line written on another system.
std::string_view trim(std::string_view s) {
    return trimBack(trimFront(s, " \t"), " \t\r");
}

// Holds an exclusive lock on the settings file's lock file while alive.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file) {
        const std::string name = file.string() + ".lock";
        fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace

std::string formatIni(const std::vector<Registry::Section>& sections) {
    std::string text;
    for (const auto& section : sections) {
        if (!text.empty()) text += '\n';
        text += '[' + escape(section.name, "[]") + "]\n";
        for (const auto& [key, value] : section.values)
            text += escape(key, "=[];") + '=' + escape(value, "") + '\n';
    }
    return text;
}

std::vector<Registry::Section> parseIni(std::string_view text) {
    std::vector<Registry::Section> sections;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == text.npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            sections.push_back({unescape(line.substr(1, close == line.npos ? line.npos : close - 1)), {}});
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == line.npos || sections.empty()) continue;
        const std::string key = unescape(trim(line.substr(0, eq)));
        std::string value = unescape(line.substr(eq + 1));
        auto& values = sections.back().values;
        auto it = findNamed(values, key, [](const auto& kv) -> std::string_view { return kv.first; });
        if (it != values.end()) it->second = std::move(value);
        else values.emplace_back(key, std::move(value));
    }
    return sections;
}

Registry::Registry(std::filesystem::path file) : file_(std::move(file)) {
    std::string text;
    if (readWholeFile(file_, text)) sections_ = parseIni(text);
}

Registry::Registry() : Registry(registryFile()) {}

Registry::~Registry() { sync(); }

std::optional<std::string> Registry::find(std::string_view section, std::string_view key) const {
    auto s = findNamed(sections_, section, [](const Section& x) -> std::string_view { return x.name; });
    if (s == sections_.end()) return std::nullopt;
    auto v = findNamed(s->values, key, [](const auto& kv) -> std::string_view { return kv.first; });
    if (v == s->values.end()) return std::nullopt;
    return v->second;
}

int Registry::readInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::lock_guard lock(mutex_);
    const auto text = find(section, key);
    if (!text) return defaultValue;
    std::string_view s = trim(*text);
    long long value = 0;
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) return defaultValue;
    // Stored as a 32-bit number: larger values wrap as a registry DWORD would.
    return static_cast<int>(static_cast<std::uint32_t>(negative ? -value : value));
}

std::string Registry::readString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    std::lock_guard lock(mutex_);
    const auto text = find(section, key);
    return text ? *text : std::string(defaultValue);
}

bool Registry::contains(std::string_view section, std::string_view key) const {
    std::lock_guard lock(mutex_);
    return find(section, key).has_value();
}

std::vector<std::string> Registry::keys(std::string_view section) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    auto s = findNamed(sections_, section, [](const Section& x) -> std::string_view { return x.name; });
    if (s != sections_.end())
        for (const auto& kv : s->values) out.push_back(kv.first);
    return out;
}

void Registry::apply(const Change& change, std::vector<Section>& sections) const {
    auto s = findNamed(sections, change.section,
                       [](const Section& x) -> std::string_view { return x.name; });
    if (!change.key) {
        if (s != sections.end()) sections.erase(s);
        return;
    }
    if (s == sections.end()) {
        if (!change.value) return;
        sections.push_back({change.section, {}});
        s = sections.end() - 1;
    }
    auto v = findNamed(s->values, *change.key,
                       [](const auto& kv) -> std::string_view { return kv.first; });
    if (!change.value) {
        if (v != s->values.end()) s->values.erase(v);
    } else if (v != s->values.end()) {
        v->second = *change.value;
    } else {
        s->values.emplace_back(*change.key, *change.value);
    }
}

void Registry::writeInt(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void Registry::writeString(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(mutex_);
    Change change{std::string(section), std::string(key), std::string(value)};
    apply(change, sections_);
    pending_.push_back(std::move(change));
}

void Registry::removeKey(std::string_view section, std::string_view key) {
    std::lock_guard lock(mutex_);
    Change change{std::string(section), std::string(key), std::nullopt};
    apply(change, sections_);
    pending_.push_back(std::move(change));
}

void Registry::removeSection(std::string_view section) {
    std::lock_guard lock(mutex_);
    Change change{std::string(section), std::nullopt, std::nullopt};
    apply(change, sections_);
    pending_.push_back(std::move(change));
}

bool Registry::sync() {
    std::lock_guard lock(mutex_);
    if (pending_.empty()) return true;
    if (!makePrivateDirectories(file_.parent_path())) {
        error_ = "cannot create the folder of " + file_.string();
        return false;
    }
    FileLock fileLock(file_);
    std::string text;
    std::vector<Section> merged;
    if (readWholeFile(file_, text)) merged = parseIni(text);
    for (const auto& change : pending_) apply(change, merged);
    if (!writeFileAtomically(file_, formatIni(merged), &error_)) return false;
    sections_ = std::move(merged);
    pending_.clear();
    return true;
}

std::string Registry::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace morvaline
