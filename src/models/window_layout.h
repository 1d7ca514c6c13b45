#pragma once
// The layout record of a window, kept in the data set (27 integers) so that the windows
// open again as they were: for a browser window its placement, arrangement, pane sizes,
// selection, focused pane and the options of its place tree, subject list and message
// view; for an event log window its placement.

#include <array>
#include <cstdint>
#include <optional>

#include "models/place_order.h"
#include "models/subject_order.h"

namespace morvaline {

using LayoutRecord = std::array<std::int32_t, 27>;

// The four arrangements of the panes.
enum class Arrangement : int {
    SubjectCentred = 0,  // tree left; subject list above the message view on the right
    MessageCentred = 1,  // tree above the subject list on the left; message view right
    LowResolution = 2,   // three rows
    TwoTop = 3,          // tree beside the subject list on top; message view below
};

// Default pane sizes (pixels) of an arrangement: the first splitter's, the second's.
struct PaneDefaults {
    int first;
    int second;
};
PaneDefaults paneDefaults(Arrangement arrangement);

enum class WindowKind : int { Browser = 1, EventLog = 2 };

struct WindowPlacement {
    int x = -1, y = -1, width = -1, height = -1;  // -1: the default
    bool maximized = false;
};

struct BrowserLayout {
    WindowPlacement placement;
    Arrangement arrangement = Arrangement::SubjectCentred;
    int firstPane = -1;   // size of the first splitter's first pane; -1: the default
    int secondPane = -1;  // size of the second splitter's first pane; -1: the default
    int placeSerial = -1;
    int messageSerial = -1;
    int focusedPane = 1;  // 1 tree, 2 subject list, 3 message view
    PlaceTreeOptions tree;
    SubjectOptions subjects;
    bool messageHeader = true;
    bool messageToolBar = true;
};

LayoutRecord encodeBrowserLayout(const BrowserLayout& layout);
LayoutRecord encodeEventLogLayout(const WindowPlacement& placement);
WindowKind recordKind(const LayoutRecord& record);
// Values out of their ranges fall back to the defaults; the limit count is at least 10.
BrowserLayout decodeBrowserLayout(const LayoutRecord& record);
WindowPlacement decodePlacement(const LayoutRecord& record);

}  // namespace morvaline
