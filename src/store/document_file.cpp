// The document file: the magic word and version, then counted groups, so that a reader
// skips what it does not know and keeps defaults for what an older file lacks:
//   times (7), integers (73), the password block, strings (10), the block section (a byte
//   block and three 60-byte tables), template slots (13 pairs), deletion slots (18),
//   display settings (25), patrol start times (8), window layout records ended by the
//   magic word, the main window record and the magic word again, triples, the event log,
//   two string-to-integer maps, the address book, recent strings, integer pairs, four
//   integers, the place tree, the 19 reservation menus, the receive rules, the send rules,
//   the reservation patterns and the deletion rules.

#include "platform/text_codec.h"
#include "store/document.h"
#include "store/password_block.h"
#include "store/record_groups.h"

namespace morvaline {
namespace {

constexpr std::int32_t kFirstVersionWithSendRules = 52;
constexpr std::int32_t kFirstVersionWithAddressBook = 62;
constexpr std::int32_t kFirstVersionWithDeleteRules = 12;
constexpr std::size_t kTableBytes = 60;

template <std::size_t N>
void writeInts(ArchiveWriter& ar, const std::array<std::int32_t, N>& values) {
    ar.writeInt32(static_cast<std::int32_t>(N));
    for (const std::int32_t v : values) ar.writeInt32(v);
}

template <std::size_t N>
void readInts(ArchiveReader& ar, std::array<std::int32_t, N>& values) {
    const std::int32_t count = ar.readBoundedInt32Count(4);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t v = ar.readInt32();
        if (static_cast<std::size_t>(i) < N) values[static_cast<std::size_t>(i)] = v;
    }
}

template <std::size_t N>
void writeTimes(ArchiveWriter& ar, const std::array<FileTime, N>& values) {
    ar.writeInt32(static_cast<std::int32_t>(N));
    for (const FileTime v : values) ar.writeInt64Words(v);
}

template <std::size_t N>
void readTimes(ArchiveReader& ar, std::array<FileTime, N>& values) {
    const std::int32_t count = ar.readBoundedInt32Count(8);
    for (std::int32_t i = 0; i < count; ++i) {
        const FileTime v = ar.readInt64Words();
        if (static_cast<std::size_t>(i) < N) values[static_cast<std::size_t>(i)] = v;
    }
}

template <std::size_t N>
void writePairs(ArchiveWriter& ar, const std::array<std::pair<std::int32_t, std::int32_t>, N>& pairs) {
    ar.writeInt32(static_cast<std::int32_t>(N));
    for (const auto& [a, b] : pairs) {
        ar.writeInt32(a);
        ar.writeInt32(b);
    }
}

template <std::size_t N>
void readPairs(ArchiveReader& ar, std::array<std::pair<std::int32_t, std::int32_t>, N>& pairs) {
    const std::int32_t count = ar.readBoundedInt32Count(8);
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t a = ar.readInt32();
        const std::int32_t b = ar.readInt32();
        if (static_cast<std::size_t>(i) < N) pairs[static_cast<std::size_t>(i)] = {a, b};
    }
}

}  // namespace

CTolDoc::OpenResult CTolDoc::readDocumentBytes(std::string_view bytes, Registry& registry) {
    OpenResult result;
    std::unique_ptr<CTolDoc> doc(new CTolDoc("", "", registry));
    doc->empty();
    try {
        ArchiveReader ar(bytes);
        doc->deserialize(ar);
        result.doc = std::move(doc);
    } catch (const DocumentRefused& refused) {
        result.error = textSjis(refused.reason());
        result.errorId = refused.reason().id;
    } catch (const ArchiveError&) {
        result.error = textSjis(texts::kDocumentDamaged);
        result.errorId = texts::kDocumentDamaged.id;
    }
    return result;
}

std::string CTolDoc::serializeToBytes() {
    std::lock_guard lock(valuesMutex_);
    ArchiveWriter ar;
    serialize(ar);
    return ar.take();
}

void CTolDoc::serialize(ArchiveWriter& ar) {
    ar.writeUInt32(kMagic);
    ar.writeInt32(kVersion);
    writeTimes(ar, times_);
    writeInts(ar, ints_);
    writePasswordBlock(ar, password_);
    ar.writeInt32(docstr::kCount);
    for (const std::string& s : strings_) ar.writeString(s);

    ar.writeInt32(static_cast<std::int32_t>(block_.size()));
    ar.writeBytes(block_);
    for (const std::string& table : tables_) {
        std::string fixed = table.substr(0, kTableBytes);
        fixed.resize(kTableBytes, '\0');
        ar.writeBytes(fixed);
    }
    writePairs(ar, templateSlots_);
    writeInts(ar, deleteSlots_);
    writeInts(ar, display_);
    writeTimes(ar, patrolTimes_);

    for (const auto& record : windowRecords_)
        for (const std::int32_t v : record) ar.writeInt32(v);
    ar.writeUInt32(kMagic);
    for (const std::int32_t v : mainWindow_) ar.writeInt32(v);
    ar.writeUInt32(kMagic);
    ar.writeInt32(static_cast<std::int32_t>(triples_.size()));
    for (const Triple& t : triples_) {
        ar.writeInt32(t.byte);
        ar.writeInt32(t.first);
        ar.writeInt32(t.second);
    }
    ar.writeInt32(static_cast<std::int32_t>(eventLog_.entries().size()));
    for (const EventEntry& e : eventLog_.entries()) {
        ar.writeString(e.text);
        ar.writeInt64Words(e.time);
        ar.writeInt32(e.icon);
    }

    for (const auto& map : maps_) {
        ar.writeInt32(static_cast<std::int32_t>(map.size()));
        for (const auto& [key, value] : map) {
            ar.writeString(key);
            ar.writeInt32(value);
        }
    }
    addressBook_.serialize(ar);
    ar.writeInt32(static_cast<std::int32_t>(recentStrings_.size()));
    for (const std::string& s : recentStrings_) ar.writeString(s);
    ar.writeInt32(static_cast<std::int32_t>(intPairs_.size()));
    for (const auto& [a, b] : intPairs_) {
        ar.writeInt32(a);
        ar.writeInt32(b);
    }
    writeInts(ar, fourInts_);

    tree_.serialize(ar);
    ar.writeInt32(kReservationMenus);
    for (const CReserveArray& menu : menus_) menu.serialize(ar);
    writeObjectArray(ar, "CAssist", receiveRules_);
    writeObjectArray(ar, "CAssistSend", sendRules_);
    writeObjectArray(ar, "CRsrvPat", patterns_);
    deleteRules_.serialize(ar);
}

void CTolDoc::deserialize(ArchiveReader& ar) {
    if (ar.readUInt32() != kMagic) throw DocumentRefused(texts::kNotADocument);
    const std::int32_t version = ar.readInt32();
    if (version > kVersion) throw DocumentRefused(texts::kDocumentTooNew);
    readTimes(ar, times_);
    readInts(ar, ints_);
    password_ = readPasswordBlock(ar);
    const std::int32_t stringCount = ar.readBoundedInt32Count(1);
    for (std::int32_t i = 0; i < stringCount; ++i) {
        std::string s = ar.readString();
        if (i < docstr::kCount) strings_[static_cast<std::size_t>(i)] = std::move(s);
    }

    block_ = ar.readBytes(static_cast<std::size_t>(ar.readBoundedInt32Count(1)));
    for (std::string& table : tables_) table = ar.readBytes(kTableBytes);
    readPairs(ar, templateSlots_);
    readInts(ar, deleteSlots_);
    readInts(ar, display_);
    readTimes(ar, patrolTimes_);

    windowRecords_.clear();
    for (;;) {
        const std::uint32_t first = ar.readUInt32();
        if (first == kMagic) break;
        std::array<std::int32_t, 27> record{};
        record[0] = static_cast<std::int32_t>(first);
        for (std::size_t i = 1; i < record.size(); ++i) record[i] = ar.readInt32();
        windowRecords_.push_back(record);
    }
    for (std::int32_t& v : mainWindow_) v = ar.readInt32();
    if (ar.readUInt32() != kMagic) throw ArchiveError("window records not closed");
    triples_.clear();
    const std::int32_t tripleCount = ar.readBoundedInt32Count(12);
    for (std::int32_t i = 0; i < tripleCount; ++i) {
        Triple t;
        t.byte = static_cast<std::uint8_t>(ar.readInt32());
        t.first = static_cast<std::uint16_t>(ar.readInt32());
        t.second = static_cast<std::uint16_t>(ar.readInt32());
        triples_.push_back(t);
    }
    const int eventMax = ints_[docint::kEventLogMax] > 0 ? ints_[docint::kEventLogMax] : EventLog::kDefaultMax;
    eventLog_.setMax(eventMax);
    std::deque<EventEntry> events;
    const std::int32_t eventCount = ar.readBoundedInt32Count(13);
    for (std::int32_t i = 0; i < eventCount; ++i) {
        EventEntry e;
        e.text = ar.readString();
        e.time = ar.readInt64Words();
        e.icon = ar.readInt32();
        events.push_back(std::move(e));
    }
    eventLog_.assign(std::move(events));

    for (auto& map : maps_) {
        map.clear();
        const std::int32_t count = ar.readBoundedInt32Count(5);
        for (std::int32_t i = 0; i < count; ++i) {
            std::string key = ar.readString();
            map.emplace_back(std::move(key), ar.readInt32());
        }
    }
    if (version >= kFirstVersionWithAddressBook) {
        addressBook_.deserialize(ar);
    } else {
        // Older files keep a flat list of names and addresses; they go under a new root.
        addressBook_.clear();
        addressBook_.addNode(-1, CAddr::kFolder, 0, "", sj("ｱﾄﾞﾚｽ帳"));
        const std::int32_t count = ar.readBoundedInt32Count(2);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::string name = ar.readString();
            const std::string address = ar.readString();
            addressBook_.addNode(0, CAddr::kEntry, 0, address, name);
        }
    }
    recentStrings_.clear();
    const std::int32_t recentCount = ar.readBoundedInt32Count(1);
    for (std::int32_t i = 0; i < recentCount; ++i) {
        std::string s = ar.readString();
        if (recentStrings_.size() < kSearchHistory) recentStrings_.push_back(std::move(s));
    }
    intPairs_.clear();
    const std::int32_t pairCount = ar.readBoundedInt32Count(8);
    for (std::int32_t i = 0; i < pairCount; ++i) {
        const std::int32_t a = ar.readInt32();
        intPairs_.emplace_back(a, ar.readInt32());
    }
    readInts(ar, fourInts_);

    tree_.deserialize(ar);
    if (tree_.size() == 0 || !tree_.linksValid()) throw ArchiveError("damaged place tree");
    tree_.setDirty(false);
    const std::int32_t menuCount = ar.readBoundedInt32Count(6);
    for (std::int32_t i = 0; i < menuCount; ++i) {
        CReserveArray menu;
        menu.deserialize(ar);
        if (i < kReservationMenus) menus_[static_cast<std::size_t>(i)] = std::move(menu);
    }
    readObjectArray(ar, "CAssist", receiveRules_);
    if (version >= kFirstVersionWithSendRules) readObjectArray(ar, "CAssistSend", sendRules_);
    readObjectArray(ar, "CRsrvPat", patterns_);
    if (version >= kFirstVersionWithDeleteRules) deleteRules_.deserialize(ar);
    upgrade(version);
}

}  // namespace morvaline
