#pragma once
// A new user's data set in a temporary folder, and messages stored in its places as a
// patrol stores them.

#include <memory>
#include <string>

#include "platform/registry.h"
#include "store/document.h"
#include "store/fetched_message.h"
#include "store/opened_list.h"
#include "support/temp_dir.h"

namespace morvaline::test {

// Places of a new user's tree.
inline constexpr int kMailFolderPlace = 1;  // "電子ﾒｰﾙ"
inline constexpr int kReceivedPlace = 2;
inline constexpr int kSentPlace = 3;
inline constexpr int kTrashPlace = 15;

struct NewUser {
    TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc = CTolDoc::open({dir.path(), "MVL00001", "secret"}, registry).doc;
    ~NewUser() {
        if (doc) doc->close();
    }

    // Stores a message in a place's list; its index.
    int store(CItemArray& list, const std::string& title, const std::string& body, int kind = -17,
              int parent = 0, FileTime date = 0) {
        FetchedMessage m;
        m.parent = parent;
        m.kind = kind;
        m.title = title;
        m.text = "SENDER01";
        m.name = "sender";
        m.date = date != 0 ? date : fileTimeNow();
        m.number = kind == -17 ? 0 : ++number_;
        m.lines = {body, "--"};
        return storeFetchedMessage(list, std::move(m), doc->generation());
    }
    std::string text(CItemArray& list, int index) {
        const CItem item = list.item(index);
        return list.readText(item.m_nOffset, item.m_nLength).value_or("<unreadable>");
    }

private:
    int number_ = 0;
};

}  // namespace morvaline::test
