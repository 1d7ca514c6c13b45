#pragma once
// Auto-deletion rules: messages older than a number of days are moved to the trash or
// deleted, optionally sparing marked messages and the comments on them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

struct CDelete {
    std::string name;
    std::int32_t picture = 0;
    std::int32_t days = 14;
    std::int32_t flags = 0;          // bit 0: delete instead of moving to the trash
    std::int32_t id = 0;
    std::int32_t spareMarked = 0;    // marked messages are not affected
    std::int32_t spareComments = 0;  // with spareMarked: nor the comments under them

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

class CDeleteArray {
public:
    int add(std::string_view name, int picture, int days, int flags);
    const CDelete* find(int id) const;
    void clear() { rules_.clear(); }
    // The three rules of a new document: 14, 30 and 90 days.
    void addDefaults();
    const std::vector<CDelete>& rules() const { return rules_; }
    int lastId() const { return lastId_; }

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);

private:
    std::vector<CDelete> rules_;
    std::int32_t lastId_ = 256;
};

}  // namespace morvaline
