#include "store/document.h"

#include <cstdio>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/place_files.h"

namespace morvaline {
namespace {

constexpr int kMaxFileNumber = 999999;

// Expands $NAME and ${NAME} in a path that the user typed.
std::string expandEnvironment(std::string_view path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '$' || i + 1 >= path.size()) {
            out += path[i];
            continue;
        }
        const bool braced = path[i + 1] == '{';
        std::size_t start = i + (braced ? 2 : 1), end = start;
        while (end < path.size() && (std::isalnum(static_cast<unsigned char>(path[end])) || path[end] == '_'))
            ++end;
        if (end == start || (braced && (end >= path.size() || path[end] != '}'))) {
            out += path[i];
            continue;
        }
        const char* value = std::getenv(std::string(path.substr(start, end - start)).c_str());
        if (value) out += value;
        i = braced ? end : end - 1;
    }
    return out;
}

bool validUserId(std::string_view id) {
    if (id.empty() || id.size() > 8 || id.front() == '.') return false;
    for (const char c : id)
        if (c <= 0x20 || c >= 0x7F || c == '/' || c == '\\') return false;
    return true;
}

}  // namespace

CTolDoc::CTolDoc(std::string userId, std::filesystem::path dataDir, Registry& registry)
    : userId_(std::move(userId)),
      dataDir_(std::move(dataDir)),
      registry_(registry),
      reporter_(eventLog_, settings_.sounds) {}

CTolDoc::~CTolDoc() = default;

std::filesystem::path CTolDoc::documentPath() const { return dataDir_ / (userId_ + ".KVR"); }

CTolDoc::OpenResult CTolDoc::open(const OpenRequest& request, Registry& registry, ReportSink* sink) {
    OpenResult result;
    auto fail = [&result](const Text& text, std::string_view arg = {}, std::string_view arg2 = {}) {
        result.doc.reset();
        result.error = formatText(text, arg, arg2);
        result.errorId = text.id;
        return std::move(result);
    };
    std::error_code ec;
    if (!std::filesystem::is_directory(request.baseDirectory, ec))
        return fail(texts::kNoDataDirectory, request.baseDirectory.string());
    if (!validUserId(request.userId)) return fail(texts::kBadUserId, request.userId);

    const auto dataDir = request.baseDirectory / request.userId;
    std::unique_ptr<CTolDoc> doc(new CTolDoc(request.userId, dataDir, registry));
    doc->reporter_.setSink(sink);
    doc->readOnly_ = request.readOnly;
    const bool exists = std::filesystem::is_directory(dataDir, ec);
    if (!exists) {
        if (request.automatic || request.password.empty() || request.readOnly)
            return fail(texts::kNoUserFiles, request.userId);
        if (request.password.size() > kMaxPassword) return fail(texts::kPasswordTooLong);
        if (!makePrivateDirectories(dataDir))
            return fail(texts::kCannotCreateDirectory, dataDir.string());
    }
    // The data folder itself is locked: by one writer, or shared by readers.
    switch (doc->lock_.acquire(dataDir, request.readOnly ? LockFile::Mode::Shared
                                                         : LockFile::Mode::Exclusive)) {
        case LockFile::Result::Acquired:
            break;
        case LockFile::Result::Held:
            return fail(texts::kUserInUse, request.userId);
        case LockFile::Result::Failed:
            return fail(texts::kCannotOpenFile, dataDir.string());
    }
    if (std::string reason; !request.readOnly && !folderWritable(dataDir, &reason))
        return fail(texts::kFolderNotWritable, dataDir.string(), reason);

    // A damaged or lost document: the newest backup that loads is offered.
    auto damaged = [&](const Text& text, std::string_view arg = {}) {
        const auto backups = loadableBackups(request, registry);
        OpenResult failed = fail(text, arg);
        if (!backups.empty()) failed.backup = backups.front();
        return failed;
    };
    if (exists) {
        doc->empty();
        loadUserSettings(registry, doc->userId_, doc->dataDir_.string() + "/", doc->settings_);
        doc->closeFlag_ = doc->settings_.closeSuccess;
        std::string bytes;
        if (!readWholeFile(doc->documentPath(), bytes))
            return damaged(texts::kDocumentDamaged, doc->documentPath().string());
        try {
            ArchiveReader ar(bytes);
            doc->deserialize(ar);
        } catch (const DocumentRefused& refused) {
            // A newer version's document is no damage; anything else that is no document is.
            if (refused.reason().id == texts::kDocumentTooNew.id) return fail(refused.reason());
            return damaged(refused.reason());
        } catch (const ArchiveError&) {
            return damaged(texts::kDocumentDamaged, doc->documentPath().string());
        }
        if (doc->password_ != request.password) return fail(texts::kWrongPassword);
    } else {
        doc->buildNewUser(request.password);
        if (!doc->error_.empty()) return fail(texts::kListWriteFailed, doc->documentPath().string());
        result.created = true;
    }
    if (!request.readOnly) writeCloseFlag(registry, doc->userId_, 0);
    doc->reporter_.report(texts::kUserOpened, doc->userId_);
    result.askFileCheck = doc->closeFlag_ == 0;
    if (!request.readOnly) {
        doc->ensureFolder(doc->settings_.downPath);
        doc->ensureFolder(doc->settings_.logPath);
    }
    result.doc = std::move(doc);
    return result;
}

bool CTolDoc::ensureFolder(const std::string& path) {
    return makePrivateDirectories(expandEnvironment(path));
}

void CTolDoc::empty() {
    tree_.clear();
    for (CReserveArray& menu : menus_) menu = CReserveArray();
    patterns_.clear();
    deleteRules_ = CDeleteArray();
    receiveRules_.clear();
    sendRules_.clear();
    addressBook_.clear();
    recentStrings_.clear();
    const FileTime now = fileTimeNow();
    times_.fill(now);
    times_[doctime::kLastLogout] = 0;  // unknown until a patrol logs out
    ints_.fill(0);
    ints_[docint::kGeneration] = 1;
    ints_[docint::kNewWindow] = 0;
    ints_[docint::kEventLogMax] = EventLog::kDefaultMax;
    ints_[docint::kPatrolLevel] = 4;
    ints_[docint::kConfirmUnreadMove] = 1;
    ints_[docint::kConfirmMove] = 1;
    strings_.fill({});
    strings_[docstr::kLogFileName] = "LUDRIX.LOG";
    block_.clear();
    tables_.fill(std::string(60, '\0'));
    templateSlots_.fill({0, 0});
    deleteSlots_.fill(0);
    display_.fill(0);
    patrolTimes_.fill(0);
    windowRecords_.clear();
    mainWindow_.fill(0);
    triples_.clear();
    for (auto& map : maps_) map.clear();
    intPairs_.clear();
    fourInts_.fill(0);
    eventLog_.clear();
    eventLog_.setMax(EventLog::kDefaultMax);
    const std::string data = dataDir_.string() + "/";
    settings_.setDefaults(data);
    settings_.downPath = data + "DOWN/";
    settings_.logPath = data + "LOG/";
}

int CTolDoc::integer(int position) const {
    std::lock_guard lock(valuesMutex_);
    return ints_.at(static_cast<std::size_t>(position));
}

void CTolDoc::setInteger(int position, int value) {
    std::lock_guard lock(valuesMutex_);
    ints_.at(static_cast<std::size_t>(position)) = value;
}

void CTolDoc::setTemplateSlot(int slot, int templateNumber, int openProperties) {
    templateSlots_.at(static_cast<std::size_t>(slot)) = {templateNumber, openProperties};
}

EditorSettings CTolDoc::editorSettings() const {
    std::lock_guard lock(valuesMutex_);
    const auto at = [this](int offset) { return ints_[docint::kEditorFirst + offset]; };
    if (at(0) == 0) return EditorSettings::defaults();
    EditorSettings s;
    s.normalWidth = at(0);
    s.quotedWidth = at(1);
    s.tabWidth = at(2);
    s.wordWrap = at(3);
    s.unsplittable = at(4);
    s.kinsoku = at(5);
    s.quoteMark = strings_[docstr::kQuoteMark];
    s.lineStartForbidden = strings_[docstr::kLineStartForbidden];
    s.lineEndForbidden = strings_[docstr::kLineEndForbidden];
    for (const auto& [word, checked] : maps_[0]) s.words.push_back({word, checked});
    return s.checked();
}

void CTolDoc::setEditorSettings(const EditorSettings& settings) {
    const EditorSettings s = settings.checked();
    std::lock_guard lock(valuesMutex_);
    const int values[] = {s.normalWidth, s.quotedWidth, s.tabWidth,
                          s.wordWrap,    s.unsplittable, s.kinsoku};
    for (int i = 0; i < 6; ++i) ints_[docint::kEditorFirst + i] = values[i];
    strings_[docstr::kQuoteMark] = s.quoteMark;
    strings_[docstr::kLineStartForbidden] = s.lineStartForbidden;
    strings_[docstr::kLineEndForbidden] = s.lineEndForbidden;
    maps_[0].clear();
    for (const UnsplittableWord& w : s.words) maps_[0].emplace_back(w.word, w.checked);
}

FileTime CTolDoc::time(int position) const {
    std::lock_guard lock(valuesMutex_);
    return times_.at(static_cast<std::size_t>(position));
}

void CTolDoc::setTime(int position, FileTime t) {
    std::lock_guard lock(valuesMutex_);
    times_.at(static_cast<std::size_t>(position)) = t;
}

std::vector<CTolDoc::WindowRecord> CTolDoc::windowRecords() const {
    std::lock_guard lock(valuesMutex_);
    return windowRecords_;
}

void CTolDoc::setWindowRecords(std::vector<WindowRecord> records) {
    std::lock_guard lock(valuesMutex_);
    windowRecords_ = std::move(records);
}

CTolDoc::WindowRecord CTolDoc::mainWindowRecord() const {
    std::lock_guard lock(valuesMutex_);
    return mainWindow_;
}

void CTolDoc::setMainWindowRecord(const WindowRecord& record) {
    std::lock_guard lock(valuesMutex_);
    mainWindow_ = record;
}

void CTolDoc::startGeneration() {
    std::lock_guard lock(valuesMutex_);
    ++ints_[docint::kGeneration];
    for (int i = kPatrolTimes - 1; i > 0; --i) patrolTimes_[i] = patrolTimes_[i - 1];
    patrolTimes_[0] = fileTimeNow();
}

void CTolDoc::rememberSearchWord(std::string_view word) {
    if (word.empty()) return;
    std::erase(recentStrings_, word);
    if (recentStrings_.size() >= kSearchHistory) recentStrings_.resize(kSearchHistory - 1);
    recentStrings_.insert(recentStrings_.begin(), std::string(word));
}

bool CTolDoc::save() {
    error_.clear();
    if (readOnly_) {
        error_ = formatText(texts::kFolderNotWritable, dataDir_.string(), "opened for reading");
        return false;
    }
    {
        std::lock_guard lock(listsMutex_);
        for (auto& [name, list] : lists_) {
            if (list->dirty() && !list->save()) {
                reporter_.report(texts::kListWriteFailed, name);
                error_ = formatText(texts::kListWriteFailed, name);
            }
        }
    }
    saveUserSettings(registry_, userId_, settings_);
    setTime(doctime::kSaved, fileTimeNow());

    // The new document is complete on disk before the backups move, so that a failed write
    // never costs the current document or a backup.
    const auto path = documentPath();
    AtomicFile file(path);
    if (!file.open() || !file.write(serializeToBytes()) || !file.finish()) {
        error_ = formatText(texts::kListWriteFailed, path.string());
        reporter_.report(texts::kListWriteFailed, path.string());
        return false;
    }
    auto backup = [&path](int n) {
        auto p = path;
        return p.replace_extension(".BK" + std::to_string(n));
    };
    std::error_code ec;
    for (int n = 2; n >= 1; --n)
        if (std::filesystem::exists(backup(n), ec)) std::filesystem::rename(backup(n), backup(n + 1), ec);
    if (std::filesystem::exists(path, ec)) {
        // The current document becomes backup 1 through a second name, so it stays in place.
        const auto linkName = backup(1).string() + ".tmp";
        std::filesystem::remove(linkName, ec);
        std::filesystem::create_hard_link(path, linkName, ec);
        if (ec) std::filesystem::copy_file(path, linkName, ec);
        if (!ec) std::filesystem::rename(linkName, backup(1), ec);
    }
    if (!file.commit()) {
        error_ = formatText(texts::kListWriteFailed, path.string());
        reporter_.report(texts::kListWriteFailed, path.string());
        return false;
    }
    return error_.empty();
}

void CTolDoc::close() {
    if (closed_) return;
    {
        std::lock_guard lock(listsMutex_);
        for (auto& [name, list] : lists_)
            if (!readOnly_ && list->dirty() && !list->save())
                reporter_.report(texts::kListWriteFailed, name);
        lists_.clear();
    }
    if (!readOnly_) writeCloseFlag(registry_, userId_, 1);
    lock_.release();
    closed_ = true;
}

CItemArray* CTolDoc::openListImpl(int placeIndex, bool create, bool logging, ListLoad& outcome) {
    outcome = ListLoad::Missing;
    create = create && !readOnly_;
    if (!tree_.valid(placeIndex)) return nullptr;
    const CItem place = tree_.item(placeIndex);
    if (!placeHoldsList(place.m_nKind)) return nullptr;
    const auto names = placeFileNames(tree_, placeIndex);
    if (!names) {
        reporter_.report(texts::kBadPlaceFileName, place.m_szTitle.view());
        return nullptr;
    }
    std::lock_guard lock(listsMutex_);
    if (const auto it = lists_.find(names->list); it != lists_.end()) {
        it->second->addUse();
        outcome = ListLoad::Loaded;
        return it->second.get();
    }
    auto list = std::make_unique<CItemArray>();
    list->setFiles(dataDir_ / names->list, dataDir_ / names->text);
    list->setOwner(&tree_, place.m_nSerial);
    if (logging) reporter_.report(texts::kListLoadStart, names->list);
    outcome = list->open();
    switch (outcome) {
        case ListLoad::Loaded:
            if (logging) reporter_.report(texts::kListLoadDone, names->list);
            break;
        case ListLoad::Damaged:
        case ListLoad::Lost:
            // Left as it is, for the file check to rebuild.
            reporter_.report(texts::kListReadFailed, names->list);
            return nullptr;
        case ListLoad::Missing:
            if (!create) {
                if (logging) reporter_.report(texts::kListNotFound, names->list);
                return nullptr;
            }
            // Written at once: a text file is never without its list, even after a crash.
            list->add(-1, 0, 0, names->list, place.m_szTitle.view(), kind::kListRoot, 0);
            if (!list->save()) {
                reporter_.report(texts::kListWriteFailed, names->list);
                return nullptr;
            }
            break;
    }
    list->addUse();
    CItemArray* opened = list.get();
    lists_.emplace(names->list, std::move(list));
    return opened;
}

CItemArray* CTolDoc::openList(int placeIndex) {
    ListLoad outcome;
    return openListImpl(placeIndex, true, false, outcome);
}

CItemArray* CTolDoc::openExistingList(int placeIndex, bool logging, ListLoad* outcome) {
    ListLoad ignored;
    return openListImpl(placeIndex, false, logging, outcome ? *outcome : ignored);
}

void CTolDoc::closeList(CItemArray* list) {
    if (!list) return;
    std::lock_guard lock(listsMutex_);
    if (list->releaseUse() > 0) return;
    for (auto it = lists_.begin(); it != lists_.end(); ++it) {
        if (it->second.get() != list) continue;
        // A list that cannot be written stays open and is written again at the next save.
        if (!readOnly_ && list->dirty() && !list->save()) {
            reporter_.report(texts::kListWriteFailed, it->first);
            return;
        }
        lists_.erase(it);
        return;
    }
}

bool CTolDoc::discardList(int placeIndex) {
    if (!tree_.valid(placeIndex)) return false;
    const auto names = placeFileNames(tree_, placeIndex);
    if (!names) return true;
    std::lock_guard lock(listsMutex_);
    if (lists_.contains(names->list)) return false;
    std::error_code ec1, ec2;
    std::filesystem::remove(dataDir_ / names->list, ec1);
    std::filesystem::remove(dataDir_ / names->text, ec2);
    return !ec1 && !ec2;
}

int CTolDoc::nextFileNumber(FileCounter counter) {
    struct CounterInfo {
        int position;
        const char* probe;
    };
    static constexpr CounterInfo kCounters[] = {
        {docint::kCounterC, "~C%06d.MSG"}, {docint::kCounterT, "~T%06d.MSG"},
        {docint::kCounterM, "~M%06d.4A0"}, {docint::kCounterU, "~U%06d.4A0"},
        {docint::kCounterR, "~R%06d.4A0"},
    };
    const CounterInfo& info = kCounters[static_cast<int>(counter)];
    std::lock_guard lock(valuesMutex_);
    int& value = ints_[static_cast<std::size_t>(info.position)];
    for (int attempt = 0; attempt < kMaxFileNumber; ++attempt) {
        value = value >= kMaxFileNumber || value < 0 ? 1 : value + 1;
        char name[32];
        std::snprintf(name, sizeof name, info.probe, value);
        std::error_code ec;
        if (!std::filesystem::exists(dataDir_ / name, ec)) return value;
    }
    return 0;
}

int CTolDoc::addUnknownPlace(int parent, std::string_view title, std::string_view path) {
    const int number = nextFileNumber(FileCounter::U);
    if (number == 0) return -1;
    char id[16];
    std::snprintf(id, sizeof id, "~U%06d", number);
    const int index = tree_.add(parent, 0, 0, id, title, kind::kUnknownPlace, 0);
    tree_.setPath(index, path);
    return index;
}

}  // namespace morvaline
