#include "store/item.h"

#include "store/archive.h"

namespace morvaline {

namespace kind {

bool isPlace(int k) {
    return k >= 0 ? k <= kMax
                  : k == kFolder || k == kForum || k == kRoot || k == kFavourites ||
                        k == kFavouriteEntry || k == kTrash;
}

bool isMessage(int k) {
    return k >= kMin && k < 0 && !isPlace(k) && k != -5 && k != -11 && k != -12;
}

bool isOutgoing(int k, std::uint32_t flags) {
    return k == kNewMail || k == kComment || k == kFileMail || k == kUpload ||
           (k == kForwardMail && !(flags & ITEM_FLAG_NOT_PENDING));
}

}  // namespace kind

namespace {

// Items store 27 integers; the 27th, the deletion rule, is missing from older records.
constexpr std::int32_t kRecordVersion = 1;
constexpr std::int32_t kIntegerCount = 27;
constexpr std::int32_t kIntegersOfEveryVersion = 26;
constexpr std::int32_t kStringCount = 7;
constexpr std::int32_t kTimeCount = 2;

bool hasPackedCode(int k) { return k == kind::kClub || k == kind::kCircle; }

// The code packing: each byte gets an offset, then the eight bytes are shuffled. Byte 3 has
// offset 0, so the only input that packs to two zero words has a NUL followed by other bytes,
// which no code can hold: a non-empty code never packs to zeros.
constexpr std::uint8_t kCodeOffset[8] = {0x5A, 0x77, 0x94, 0x00, 0xCE, 0xEB, 0x08, 0x25};
constexpr int kCodePosition[8] = {5, 2, 7, 0, 3, 6, 1, 4};

}  // namespace

void packCode(std::string_view code, std::uint32_t& word0, std::uint32_t& word1) {
    word0 = word1 = 0;
    code = code.substr(0, code.find('\0'));
    if (code.empty()) return;
    std::uint8_t packed[8];
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t b =
            i < static_cast<int>(code.size()) ? static_cast<std::uint8_t>(code[i]) : 0;
        packed[kCodePosition[i]] = static_cast<std::uint8_t>(b + kCodeOffset[i]);
    }
    for (int i = 0; i < 4; ++i) {
        word0 |= static_cast<std::uint32_t>(packed[i]) << (8 * i);
        word1 |= static_cast<std::uint32_t>(packed[4 + i]) << (8 * i);
    }
}

std::string unpackCode(std::uint32_t word0, std::uint32_t word1) {
    std::string code;
    for (int i = 0; i < 8; ++i) {
        const int pos = kCodePosition[i];
        const std::uint32_t word = pos < 4 ? word0 : word1;
        const auto b = static_cast<std::uint8_t>((word >> (8 * (pos % 4))) - kCodeOffset[i]);
        if (b == 0) break;
        code += static_cast<char>(b);
    }
    return code;
}

CItem::CItem(int parent, int number, int offset, std::string_view id, std::string_view title,
             int kind, int body, FileTime date, std::string_view name, std::string_view code,
             int refCount, int size, int serial)
    : m_nParent(parent),
      m_nNumber(number),
      m_nOffset(offset),
      m_nBody(body),
      m_nKind(kind),
      m_nRefCount(refCount),
      m_nSize(size),
      m_ftDate(date),
      m_ftCreated(fileTimeNow()),
      m_szID(id),
      m_szTitle(title),
      m_szCode(code),
      m_szName(name),
      m_nSerial(serial) {}

CItem::CItem(const CItem& source, std::uint32_t mask) {
    m_ftDate = m_ftCreated = fileTimeNow();
    assign(source, mask);
    for (int i = 0; i < 5; ++i) m_nSpare[i] = source.m_nSpare[i];
    m_strExtra = source.m_strExtra;
}

void CItem::assign(const CItem& s, std::uint32_t mask) {
    using namespace copy;
    if (mask & kParent) m_nParent = s.m_nParent;
    if (mask & kNext) m_nNext = s.m_nNext;
    if (mask & kPrev) m_nPrev = s.m_nPrev;
    if (mask & kChild) m_nChild = s.m_nChild;
    if (mask & kNumber) m_nNumber = s.m_nNumber;
    if (mask & kOffset) m_nOffset = s.m_nOffset;
    if (mask & kBody) m_nBody = s.m_nBody;
    if (mask & kKind) m_nKind = s.m_nKind;
    if (mask & kReserve) m_nReserve = s.m_nReserve;
    if (mask & kRefCount) m_nRefCount = s.m_nRefCount;
    if (mask & kSize) m_nSize = s.m_nSize;
    if (mask & kAux) m_nAux = s.m_nAux;
    if (mask & kFlags) m_dwFlags = s.m_dwFlags;
    if (mask & kDate) m_ftDate = s.m_ftDate;
    if (mask & kCreated) m_ftCreated = s.m_ftCreated;
    if (mask & kId) m_szID = s.m_szID;
    if (mask & kTitle) m_szTitle = s.m_szTitle;
    if (mask & kCode) m_szCode = s.m_szCode;
    if (mask & kName) m_szName = s.m_szName;
    if (mask & kText) m_strText = s.m_strText;
    if (mask & kTarget) m_nTarget = s.m_nTarget;
    if (mask & kGeneration) m_nGeneration = s.m_nGeneration;
    if (mask & kPath) m_strPath = s.m_strPath;
    if (mask & kSerial) m_nSerial = s.m_nSerial;
    if (mask & kExtra1) m_nExtra1 = s.m_nExtra1;
    if (mask & kExtra2) m_nExtra2 = s.m_nExtra2;
    if (mask & kLength) m_nLength = s.m_nLength;
    if (mask & kDeleteRule) m_nDeleteRule = s.m_nDeleteRule;
}

bool CItem::equals(const CItem& o, std::uint32_t mask) const {
    using namespace copy;
    return (!(mask & kNumber) || m_nNumber == o.m_nNumber) &&
           (!(mask & kOffset) || m_nOffset == o.m_nOffset) &&
           (!(mask & kBody) || m_nBody == o.m_nBody) &&
           (!(mask & kKind) || m_nKind == o.m_nKind) &&
           (!(mask & kId) || m_szID == o.m_szID) &&
           (!(mask & kTitle) || m_szTitle == o.m_szTitle) &&
           (!(mask & kTarget) || m_nTarget == o.m_nTarget) &&
           (!(mask & kDate) || m_ftDate == o.m_ftDate) &&
           (!(mask & kName) || m_szName == o.m_szName) &&
           (!(mask & kText) || m_strText == o.m_strText) &&
           (!(mask & kLength) || m_nLength == o.m_nLength) &&
           (!(mask & kGenerationsDiffer) || m_nGeneration != o.m_nGeneration);
}

bool CItem::setFlags(std::uint32_t mask, std::uint32_t value) {
    const std::uint32_t flags = (m_dwFlags & ~mask) | (value & mask);
    if (flags == m_dwFlags) return false;
    m_dwFlags = flags;
    return true;
}

int CItem::validate() const {
    if (m_nParent < -1) return 200;
    if (m_nNext < -1) return 201;
    if (m_nPrev < -1) return 202;
    if (m_nChild < -1) return 203;
    if (m_nNumber < 0) return 204;
    if (m_nOffset < 0) return 205;
    if (m_nBody < -1) return 206;
    if (m_nKind < kind::kMin) return 207;
    if (m_nKind > kind::kMax) return 208;
    if (m_nRefCount < -1) return 209;
    if (m_nSize < 0) return 210;
    if (m_nAux < -1) return 211;
    // 212 ... 215 (the fixed text fields) cannot occur: assignments cut them to size.
    if (m_strText.size() > kMaxLongText) return 216;
    if (m_nTarget < -1) return 217;
    if (m_strPath.size() > kMaxPath) return 218;
    if (m_nExtra1 < -1) return 219;
    if (m_nExtra2 < -1) return 220;
    if (m_nLength < -1) return 221;
    return 0;
}

int CItem::validatePlace() const {
    if (const int error = validate()) return error;
    if (!kind::isPlace(m_nKind)) return 300;
    if (m_nKind == kind::kRoot &&
        (m_nParent != -1 || m_nNext != -1 || m_nPrev != -1 || m_nChild != 1 || m_nNumber != 0 ||
         m_nOffset != 0 || m_nBody != 0 || m_nAux != 0 || m_nSize != 0 || m_nRefCount != 0 ||
         m_nTarget != 0 || (m_nLength != 0 && m_nLength != -1) ||
         (m_nReserve != 0 && m_nReserve != -1)))
        return 301;
    return 0;
}

int CItem::validateMessage() const {
    if (const int error = validate()) return error;
    if (kind::isPlace(m_nKind)) return 400;
    if (m_nKind == kind::kForumMessage && m_nNumber < m_nTarget) return 611;
    return 0;
}

void CItem::serialize(ArchiveWriter& ar) const {
    ar.writeInt32(kRecordVersion);
    ar.writeInt32(kIntegerCount);
    std::uint32_t word0 = 0, word1 = 0;
    if (hasPackedCode(m_nKind)) packCode(m_szCode.view(), word0, word1);
    ar.writeUInt32(word0);
    ar.writeUInt32(word1);
    for (const std::int32_t v : {m_nParent, m_nNext, m_nPrev, m_nChild, m_nNumber, m_nOffset,
                                 m_nBody, m_nKind, m_nReserve})
        ar.writeInt32(v);
    ar.writeUInt32(m_dwFlags);
    for (const std::int32_t v : {m_nRefCount, m_nSize, m_nAux, m_nTarget, m_nGeneration,
                                 m_nSerial, m_nExtra1, m_nExtra2, m_nLength})
        ar.writeInt32(v);
    for (const std::int32_t v : m_nSpare) ar.writeInt32(v);
    ar.writeInt32(m_nDeleteRule);

    ar.writeInt32(kStringCount);
    ar.writeString(m_szID.view());
    ar.writeString(m_szTitle.view());
    ar.writeString(m_szName.view());
    ar.writeString(m_strText);
    ar.writeString(m_strPath);
    ar.writeString(hasPackedCode(m_nKind) ? std::string_view() : m_szCode.view());
    ar.writeString(m_strExtra);

    ar.writeInt32(kTimeCount);
    ar.writeInt64Words(m_ftDate);
    ar.writeInt64Words(m_ftCreated);
}

void CItem::deserialize(ArchiveReader& ar) {
    m_szID.assign({});
    m_szTitle.assign({});
    m_szCode.assign({});
    m_szName.assign({});
    m_strText.clear();
    m_strPath.clear();
    m_strExtra.clear();

    ar.readInt32();  // record version: every version shares this layout
    const std::int32_t integers = ar.readBoundedInt32Count(4);
    if (integers < kIntegersOfEveryVersion) throw ArchiveError("item record too short");
    std::int32_t v[kIntegersOfEveryVersion];
    ar.readInt32s(v, kIntegersOfEveryVersion);
    const auto word0 = static_cast<std::uint32_t>(v[0]);
    const auto word1 = static_cast<std::uint32_t>(v[1]);
    const std::int32_t* next = v + 2;
    for (std::int32_t* field : {&m_nParent, &m_nNext, &m_nPrev, &m_nChild, &m_nNumber,
                                &m_nOffset, &m_nBody, &m_nKind, &m_nReserve})
        *field = *next++;
    m_dwFlags = static_cast<std::uint32_t>(*next++);
    for (std::int32_t* field : {&m_nRefCount, &m_nSize, &m_nAux, &m_nTarget, &m_nGeneration,
                                &m_nSerial, &m_nExtra1, &m_nExtra2, &m_nLength})
        *field = *next++;
    for (std::int32_t& spare : m_nSpare) spare = *next++;
    m_nDeleteRule = integers > kIntegersOfEveryVersion ? ar.readInt32() : 0;
    for (std::int32_t i = kIntegerCount; i < integers; ++i) ar.readInt32();

    const std::int32_t strings = ar.readBoundedInt32Count(1);
    std::string_view code;
    for (std::int32_t i = 0; i < strings; ++i) {
        const std::string_view s = ar.readStringView();
        switch (i) {
            case 0: m_szID = s; break;
            case 1: m_szTitle = s; break;
            case 2: m_szName = s; break;
            case 3: m_strText = s; break;
            case 4: m_strPath = s; break;
            case 5: code = s; break;
            case 6: m_strExtra = s; break;
            default: break;
        }
    }
    if (word0 == 0 && word1 == 0) m_szCode = code;
    else m_szCode = unpackCode(word0, word1);

    const std::int32_t times = ar.readBoundedInt32Count(8);
    if (times >= 1) m_ftDate = ar.readInt64Words();
    if (times >= 2) m_ftCreated = ar.readInt64Words();
    for (std::int32_t i = 2; i < times; ++i) ar.readInt64Words();
}

}  // namespace morvaline
