#include "models/window_layout.h"

#include <algorithm>

namespace morvaline {
namespace {

// Positions in the record.
enum Field : std::size_t {
    kKind = 0,
    kX, kY, kWidth, kHeight, kMaximized,
    kArrangement, kFirstPane, kSecondPane, kPlace, kMessage, kFocus,
    kTreeOrder, kTreeFlags,
    kSubjectOrder, kSubjectFlags, kLimitCount,
    kViewFlags,
};

// Bits of the flag fields.
constexpr int kNumberFirst = 1, kMailFirst = 2, kShowNumber = 4, kShowAbbreviation = 8, kShowHidden = 16;
constexpr int kReverse = 1, kCommentTree = 2, kLimitOn = 4, kNumber = 8, kDate = 16, kId = 32, kHandle = 64,
              kSize = 128, kRefCount = 256, kDeleteAlways = 512;
constexpr int kHeader = 1, kToolBar = 2;

void putPlacement(LayoutRecord& r, const WindowPlacement& p) {
    r[kX] = p.x;
    r[kY] = p.y;
    r[kWidth] = p.width;
    r[kHeight] = p.height;
    r[kMaximized] = p.maximized;
}

int bit(bool on, int value) { return on ? value : 0; }

}  // namespace

PaneDefaults paneDefaults(Arrangement arrangement) {
    switch (arrangement) {
        case Arrangement::SubjectCentred:
            return {140, -1};  // the subject list takes a third of the height
        case Arrangement::MessageCentred:
            return {140, 100};
        case Arrangement::LowResolution:
            return {100, 100};
        case Arrangement::TwoTop:
            return {120, 140};
    }
    return {140, -1};
}

LayoutRecord encodeBrowserLayout(const BrowserLayout& l) {
    LayoutRecord r{};
    r[kKind] = static_cast<int>(WindowKind::Browser);
    putPlacement(r, l.placement);
    r[kArrangement] = static_cast<int>(l.arrangement);
    r[kFirstPane] = l.firstPane;
    r[kSecondPane] = l.secondPane;
    r[kPlace] = l.placeSerial;
    r[kMessage] = l.messageSerial;
    r[kFocus] = l.focusedPane;
    r[kTreeOrder] = static_cast<int>(l.tree.order);
    r[kTreeFlags] = bit(l.tree.numberFirst, kNumberFirst) | bit(l.tree.mailFirst, kMailFirst) |
                    bit(l.tree.showNumber, kShowNumber) | bit(l.tree.showAbbreviation, kShowAbbreviation) |
                    bit(l.tree.showHidden, kShowHidden);
    const SubjectOptions& s = l.subjects;
    r[kSubjectOrder] = static_cast<int>(s.order);
    r[kSubjectFlags] = bit(s.reverse, kReverse) | bit(s.commentTree, kCommentTree) | bit(s.limitOn, kLimitOn) |
                       bit(s.showNumber, kNumber) | bit(s.showDate, kDate) | bit(s.showId, kId) |
                       bit(s.showHandle, kHandle) | bit(s.showSize, kSize) | bit(s.showRefCount, kRefCount) |
                       bit(s.deleteAlwaysOffered, kDeleteAlways);
    r[kLimitCount] = s.limitCount;
    r[kViewFlags] = bit(l.messageHeader, kHeader) | bit(l.messageToolBar, kToolBar);
    return r;
}

LayoutRecord encodeEventLogLayout(const WindowPlacement& placement) {
    LayoutRecord r{};
    r[kKind] = static_cast<int>(WindowKind::EventLog);
    putPlacement(r, placement);
    return r;
}

WindowKind recordKind(const LayoutRecord& record) {
    return record[kKind] == static_cast<int>(WindowKind::EventLog) ? WindowKind::EventLog : WindowKind::Browser;
}

WindowPlacement decodePlacement(const LayoutRecord& r) {
    WindowPlacement p;
    p.x = r[kX];
    p.y = r[kY];
    p.width = r[kWidth];
    p.height = r[kHeight];
    p.maximized = r[kMaximized] != 0;
    return p;
}

BrowserLayout decodeBrowserLayout(const LayoutRecord& r) {
    BrowserLayout l;
    l.placement = decodePlacement(r);
    if (r[kArrangement] >= 0 && r[kArrangement] <= 3) l.arrangement = static_cast<Arrangement>(r[kArrangement]);
    l.firstPane = r[kFirstPane] > 0 ? r[kFirstPane] : -1;
    l.secondPane = r[kSecondPane] > 0 ? r[kSecondPane] : -1;
    l.placeSerial = r[kPlace];
    l.messageSerial = r[kMessage];
    if (r[kFocus] >= 1 && r[kFocus] <= 3) l.focusedPane = r[kFocus];
    if (r[kTreeOrder] >= 0 && r[kTreeOrder] <= 2) l.tree.order = static_cast<PlaceOrder>(r[kTreeOrder]);
    const int t = r[kTreeFlags];
    l.tree.numberFirst = t & kNumberFirst;
    l.tree.mailFirst = t & kMailFirst;
    l.tree.showNumber = t & kShowNumber;
    l.tree.showAbbreviation = t & kShowAbbreviation;
    l.tree.showHidden = t & kShowHidden;
    if (r[kSubjectOrder] >= 0 && r[kSubjectOrder] <= 5) l.subjects.order = static_cast<SubjectOrder>(r[kSubjectOrder]);
    const int f = r[kSubjectFlags];
    l.subjects.reverse = f & kReverse;
    l.subjects.commentTree = f & kCommentTree;
    l.subjects.limitOn = f & kLimitOn;
    l.subjects.showNumber = f & kNumber;
    l.subjects.showDate = f & kDate;
    l.subjects.showId = f & kId;
    l.subjects.showHandle = f & kHandle;
    l.subjects.showSize = f & kSize;
    l.subjects.showRefCount = f & kRefCount;
    l.subjects.deleteAlwaysOffered = f & kDeleteAlways;
    l.subjects.limitCount = std::max(r[kLimitCount], SubjectOptions::kMinLimit);
    l.messageHeader = r[kViewFlags] & kHeader;
    l.messageToolBar = r[kViewFlags] & kToolBar;
    return l;
}

}  // namespace morvaline
