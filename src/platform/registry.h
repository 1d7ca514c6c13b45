#pragma once
// The settings store of the program: an INI file of sections ("Settings", "AP%d",
// "Addrbook", one per user ID) holding integer and string values. Section and key names
// are matched without regard to ASCII case. Values are byte strings: what is written is
// read back unchanged (bytes that are not UTF-8 are escaped in the file).
//
// Changes are kept in memory and written by sync(), which first reads the file again so
// that changes made meanwhile by another process are kept.

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class Registry {
public:
    // Opens the file given, or the program's settings file.
    explicit Registry(std::filesystem::path file);
    Registry();
    ~Registry();  // syncs pending changes
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    int readInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const;
    bool contains(std::string_view section, std::string_view key) const;
    std::vector<std::string> keys(std::string_view section) const;

    void writeInt(std::string_view section, std::string_view key, int value);
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void removeKey(std::string_view section, std::string_view key);
    void removeSection(std::string_view section);

    // Writes the pending changes; false with error() set when the file cannot be written.
    bool sync();
    std::string error() const;
    const std::filesystem::path& file() const { return file_; }

    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };

private:
    struct Change {
        std::string section;
        std::optional<std::string> key;    // empty: the whole section is removed
        std::optional<std::string> value;  // empty: the key is removed
    };
    void apply(const Change& change, std::vector<Section>& sections) const;
    std::optional<std::string> find(std::string_view section, std::string_view key) const;

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::vector<Section> sections_;
    std::vector<Change> pending_;
    std::string error_;
};

// The INI text of sections, and sections read back from it (used by the registry and by
// the program's data files such as MODEMDAT.INI).
std::string formatIni(const std::vector<Registry::Section>& sections);
std::vector<Registry::Section> parseIni(std::string_view text);

}  // namespace morvaline
