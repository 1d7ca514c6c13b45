// The window layout record: written and read back, and values out of range replaced by
// the defaults when read.

#include <gtest/gtest.h>

#include "models/window_layout.h"

namespace morvaline {
namespace {

TEST(WindowLayoutTest, ABrowserLayoutReadsBackAsItWasWritten) {
    BrowserLayout l;
    l.placement = {10, 20, 800, 600, true};
    l.arrangement = Arrangement::TwoTop;
    l.firstPane = 150;
    l.placeSerial = 300;
    l.messageSerial = 4711;
    l.focusedPane = 2;
    l.tree.order = PlaceOrder::Abbreviation;
    l.tree.showHidden = true;
    l.tree.mailFirst = false;
    l.subjects.order = SubjectOrder::Date;
    l.subjects.reverse = true;
    l.subjects.commentTree = false;
    l.subjects.limitOn = true;
    l.subjects.limitCount = 50;
    l.subjects.showHandle = true;
    l.messageToolBar = false;
    const LayoutRecord r = encodeBrowserLayout(l);
    EXPECT_EQ(recordKind(r), WindowKind::Browser);
    const BrowserLayout back = decodeBrowserLayout(r);
    EXPECT_EQ(encodeBrowserLayout(back), r);
    EXPECT_EQ(back.secondPane, -1);
    EXPECT_TRUE(back.placement.maximized);
    EXPECT_EQ(recordKind(encodeEventLogLayout({1, 2, 3, 4, false})), WindowKind::EventLog);
}

TEST(WindowLayoutTest, DamagedValuesFallBackToTheDefaults) {
    LayoutRecord r{};
    r[0] = 1;
    r[6] = 9;    // arrangement
    r[7] = -5;   // pane size
    r[11] = 0;   // focused pane
    r[12] = 7;   // tree order
    r[14] = -1;  // subject order
    r[16] = 3;   // limit count below 10
    const BrowserLayout l = decodeBrowserLayout(r);
    EXPECT_EQ(l.arrangement, Arrangement::SubjectCentred);
    EXPECT_EQ(l.firstPane, -1);
    EXPECT_EQ(l.focusedPane, 1);
    EXPECT_EQ(l.tree.order, PlaceOrder::Title);
    EXPECT_EQ(l.subjects.order, SubjectOrder::Number);
    EXPECT_EQ(l.subjects.limitCount, SubjectOptions::kMinLimit);
    EXPECT_EQ(paneDefaults(Arrangement::LowResolution).first, 100);
}

}  // namespace
}  // namespace morvaline
