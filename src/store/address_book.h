#pragma once
// The address book: folders and address entries in one array, threaded into a tree by
// index links; index 0 is the root folder "ｱﾄﾞﾚｽ帳".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

struct CAddr {
    std::int32_t parent = -1;
    std::int32_t next = -1;
    std::int32_t prev = -1;
    std::int32_t firstChild = -1;
    std::int32_t type = 0;      // 1 folder, 0 address entry
    std::int32_t reserved = 0;
    std::string address;
    std::string name;           // unique in the whole book
    std::string affiliation;
    std::string department;
    std::string memo;

    static constexpr std::int32_t kFolder = 1;
    static constexpr std::int32_t kEntry = 0;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);
};

class CAddrArray {
public:
    int findByName(std::string_view name) const;
    // Appends a node as the last child of parent (-1: the root itself); a name in use gets
    // "~1", "~2" ... appended. Returns the new index.
    int addNode(int parent, int type, int reserved, std::string_view address,
                std::string_view name, std::string_view affiliation = {},
                std::string_view department = {}, std::string_view memo = {});
    // Deletes a node; a folder goes with everything in it. The links of the other nodes
    // follow their moved indices. False (nothing deleted) for the root or a bad index.
    bool deleteNode(int index);
    // Appends the names of the entry, or of every entry in the folder and its subfolders,
    // to a list separated by ",".
    void collectNames(int index, std::string& list) const;
    void clear() { nodes_.clear(); }
    const std::vector<CAddr>& nodes() const { return nodes_; }
    // True when every link is in range and every chain is consistent.
    bool linksValid() const;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);

private:
    std::vector<CAddr> nodes_;
};

}  // namespace morvaline
