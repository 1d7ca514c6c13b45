#pragma once
// CItem: one place or message. Items link to each other by index inside one CItemArray.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_time.h"
#include "store/compact_text.h"
#include "store/fixed_text.h"
#include "store/item_kinds.h"

namespace morvaline {

class ArchiveReader;
class ArchiveWriter;

// Bits of the copy and comparison masks.
namespace copy {
inline constexpr std::uint32_t kParent = 0x2;
inline constexpr std::uint32_t kNext = 0x4;
inline constexpr std::uint32_t kPrev = 0x8;
inline constexpr std::uint32_t kChild = 0x10;
inline constexpr std::uint32_t kNumber = 0x20;
inline constexpr std::uint32_t kOffset = 0x40;
inline constexpr std::uint32_t kBody = 0x80;
inline constexpr std::uint32_t kKind = 0x100;
inline constexpr std::uint32_t kReserve = 0x200;
inline constexpr std::uint32_t kRefCount = 0x400;
inline constexpr std::uint32_t kSize = 0x800;
inline constexpr std::uint32_t kAux = 0x1000;
inline constexpr std::uint32_t kFlags = 0x2000;
inline constexpr std::uint32_t kDate = 0x4000;
inline constexpr std::uint32_t kCreated = 0x8000;
inline constexpr std::uint32_t kId = 0x10000;
inline constexpr std::uint32_t kTitle = 0x20000;
inline constexpr std::uint32_t kCode = 0x40000;
inline constexpr std::uint32_t kName = 0x80000;
inline constexpr std::uint32_t kText = 0x100000;
inline constexpr std::uint32_t kTarget = 0x200000;
inline constexpr std::uint32_t kGeneration = 0x400000;
inline constexpr std::uint32_t kPath = 0x800000;
inline constexpr std::uint32_t kSerial = 0x1000000;
inline constexpr std::uint32_t kExtra1 = 0x2000000;
inline constexpr std::uint32_t kExtra2 = 0x4000000;
inline constexpr std::uint32_t kLength = 0x8000000;
inline constexpr std::uint32_t kLastNumber = 0x10000000;        // adding a copy: the list's last number
inline constexpr std::uint32_t kGenerationsDiffer = 0x20000000; // comparison: generations differ
inline constexpr std::uint32_t kDeleteRule = 0x40000000;
}  // namespace copy

// Sizes of the fixed text fields, terminator included.
inline constexpr std::size_t kIdSize = 20;
inline constexpr std::size_t kTitleSize = 73;
inline constexpr std::size_t kCodeSize = 9;
inline constexpr std::size_t kNameSize = 40;
inline constexpr std::size_t kMaxLongText = 19999;
inline constexpr std::size_t kMaxPath = 259;

class CItem {
public:
    // An item with every field at its creation default, dates 0 (filled in by loading).
    CItem() = default;
    // Creation with all fields; texts are cut to their fields.
    CItem(int parent, int number, int offset, std::string_view id, std::string_view title,
          int kind, int body, FileTime date, std::string_view name = {},
          std::string_view code = {}, int refCount = -1, int size = 0, int serial = 0);
    // Copy construction under a mask: cleared bits take their creation defaults.
    CItem(const CItem& source, std::uint32_t mask);
    CItem(const CItem&) = default;
    CItem& operator=(const CItem&) = default;

    // Copy-assignment of the fields selected by the mask.
    void assign(const CItem& source, std::uint32_t mask);
    // True when every selected field is equal (kGenerationsDiffer: generations differ).
    bool equals(const CItem& other, std::uint32_t mask) const;
    // new flags = (old & ~mask) | value; true when the flags changed.
    bool setFlags(std::uint32_t mask, std::uint32_t value);
    bool hasFlag(std::uint32_t flag) const { return (m_dwFlags & flag) != 0; }

    // 0 or the first error code (200 ... 221).
    int validate() const;
    // validate(), then 300 for a message kind, 301 for a malformed root.
    int validatePlace() const;
    // validate(), then 400 for a place kind, 611 for a forum message numbered below its target.
    int validateMessage() const;

    void serialize(ArchiveWriter& ar) const;
    void deserialize(ArchiveReader& ar);

    bool isReserved() const { return m_nReserve != 0 && m_nReserve != -1; }
    bool isUnread() const { return m_nBody > 0 && !hasFlag(ITEM_FLAG_READ); }

    std::int32_t m_nParent = -1;
    std::int32_t m_nNext = -1;
    std::int32_t m_nPrev = -1;
    std::int32_t m_nChild = -1;
    std::int32_t m_nNumber = 0;
    std::int32_t m_nOffset = 0;
    std::int32_t m_nLength = 0;
    std::int32_t m_nBody = 0;
    std::int32_t m_nKind = 0;
    std::int32_t m_nReserve = -1;
    std::int32_t m_nRefCount = 0;
    std::int32_t m_nSize = 0;
    std::int32_t m_nAux = 0;
    std::uint32_t m_dwFlags = 0;
    std::int32_t m_nTarget = 0;
    FileTime m_ftDate = 0;
    FileTime m_ftCreated = 0;
    FixedText<kIdSize> m_szID;
    FixedText<kTitleSize> m_szTitle;
    FixedText<kCodeSize> m_szCode;
    FixedText<kNameSize> m_szName;
    CompactText m_strText;
    std::int32_t m_nGeneration = 0;
    CompactText m_strPath;
    std::int32_t m_nSerial = 0;
    std::int32_t m_nExtra1 = 0;
    std::int32_t m_nExtra2 = 0;
    std::int32_t m_nDeleteRule = 0;
    std::int32_t m_nSpare[5] = {};
    CompactText m_strExtra;
};

// The reversible packing of a club or circle password into two words (both zero only for
// an empty code), and its inverse.
void packCode(std::string_view code, std::uint32_t& word0, std::uint32_t& word1);
std::string unpackCode(std::uint32_t word0, std::uint32_t word1);

}  // namespace morvaline
