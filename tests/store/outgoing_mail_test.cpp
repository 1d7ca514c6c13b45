// Mails written offline: cutting a place's text file back after a failed send.

#include "store/outgoing_mail.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/opened_list.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

constexpr int kReceived = 2;

struct NewUser {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    ~NewUser() { doc->close(); }

    CItem outgoing(int index) {
        OpenedList list(*doc, findOutgoingMailPlace(doc->tree()));
        return list->item(index);
    }
    std::string ownText(const CItem& item) {
        std::string text;
        EXPECT_TRUE(readWholeFile(doc->dataDirectory() / ownTextFileName(item), text));
        return text;
    }
};

TEST(OutgoingMail, AFailedTextIsCutBackAndTheFileNeverGrows) {
    NewUser u;
    OpenedList list(*u.doc, 3);
    ASSERT_EQ(list->appendText("kept\r\n"), 0);
    ASSERT_EQ(list->appendText("taken back\r\n"), 6);
    EXPECT_TRUE(list->truncateText(6));
    EXPECT_EQ(list->appendText(""), 6);
    EXPECT_TRUE(list->truncateText(100));
    EXPECT_EQ(list->appendText(""), 6);
    EXPECT_FALSE(list->truncateText(-1));
}

}  // namespace
}  // namespace morvaline
