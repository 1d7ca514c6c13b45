#pragma once
// A real user data set for the tests of the place tree, the subject list and the
// navigation: the default tree of a new user, plus places and messages added with the
// store's own functions.

#include <QLocale>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "models/questions.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace morvaline::test {

// Answers the questions from a script and records them.
class ScriptedQuestions : public Questions {
public:
    bool answer = true;
    std::vector<int> asked;  // text IDs
    bool ask(const Text& question) override {
        asked.push_back(question.id);
        return answer;
    }
};

class BrowserFixture : public ::testing::Test {
protected:
    TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    std::unique_ptr<CTolDoc> doc;

    void SetUp() override {
        testApp();
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        OpenRequest request;
        request.baseDirectory = dir.path();
        request.userId = "TESTER";
        request.password = "secret";
        auto result = CTolDoc::open(request, registry);
        ASSERT_TRUE(result.doc) << sjisToUtf8(result.error);
        doc = std::move(result.doc);
    }
    void TearDown() override {
        if (doc) doc->close();
    }

    CItemArray& tree() { return doc->tree(); }
    // A place under parent; returns its index.
    int addPlace(int parent, const std::string& utf8Title, int kind, int number = 0, const std::string& id = {}) {
        return tree().add(parent, number, 0, id, sj(utf8Title), kind, 0);
    }
    int serialOf(int placeIndex) { return tree().item(placeIndex).m_nSerial; }
    // A message of a place's list; unread when body > 0 and not read.
    int addMessage(CItemArray& list, int parent, int number, const std::string& utf8Title,
                   int kind = kind::kForumMessage, bool unread = false) {
        const int i = list.add(parent, number, 0, "ABC01234", sj(utf8Title), kind, unread ? 3 : 0);
        return i;
    }
};

}  // namespace morvaline::test
