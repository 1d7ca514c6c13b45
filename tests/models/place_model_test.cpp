// The place tree: order of siblings, favourites, hidden places, and the model that shows
// it, checked with QAbstractItemModelTester.

#include <QAbstractItemModelTester>

#include <random>
#include <thread>

#include "browser_fixture.h"
#include "models/browser_texts.h"
#include "models/collation.h"
#include "models/model_roles.h"
#include "models/place_order.h"
#include "models/place_tree_model.h"

namespace morvaline {
namespace {

class PlaceTreeTest : public test::BrowserFixture {
protected:
    std::vector<std::string> childTitles(int parent, const PlaceTreeOptions& options) {
        const PlaceSnapshot places = PlaceSnapshot::of(tree());
        std::vector<std::string> titles;
        for (const int c : sortedPlaceChildren(places, parent, options, TextCollator()))
            titles.push_back(sjisToUtf8(places.row(c).title));
        return titles;
    }
    std::vector<std::string> modelTitles(PlaceTreeModel& model, const QModelIndex& parent) {
        std::vector<std::string> titles;
        for (int r = 0; r < model.rowCount(parent); ++r)
            titles.push_back(model.index(r, 0, parent).data().toString().toStdString());
        return titles;
    }
};

TEST_F(PlaceTreeTest, DefaultsPutMailFirstThenUnnumberedByTitleThenNumbersAndKeepFavouritesInPlace) {
    const int sig = 5;
    addPlace(sig, "beta", kind::kFolder);
    addPlace(sig, "room 3", kind::kRoom, 3);
    addPlace(sig, "Zed", kind::kFolder);
    addPlace(sig, "room 10", kind::kRoom, 10);
    addPlace(sig, "alpha", kind::kFolder);
    addPlace(sig, "room 1", kind::kRoom, 1);
    EXPECT_EQ(childTitles(sig, {}), (std::vector<std::string>{"alpha", "beta", "Zed", "room 1", "room 3", "room 10"}));

    const std::vector<std::string> top = childTitles(0, {});
    ASSERT_EQ(top.size(), 9u);
    EXPECT_EQ(top.front(), "電子ﾒｰﾙ");
    // The favourites place is the eighth of the root's nine places by registration.
    EXPECT_EQ(top[7], "お気に入り");

    PlaceTreeOptions byCreation;
    byCreation.order = PlaceOrder::Registration;
    byCreation.numberFirst = false;
    EXPECT_EQ(childTitles(sig, byCreation),
              (std::vector<std::string>{"beta", "room 3", "Zed", "room 10", "alpha", "room 1"}));
    PlaceTreeOptions byId;
    byId.order = PlaceOrder::Abbreviation;
    byId.numberFirst = false;
    byId.mailFirst = false;
    addPlace(0, "ｚ", kind::kFolder, 0, "AAA");
    // Folders without an ID first, then "~MSGTMPL", "~TRASH" and "AAA".
    EXPECT_EQ(childTitles(0, byId).back(), "ｚ");
}

TEST_F(PlaceTreeTest, FavouriteEntriesKeepTheOrderOfAdding) {
    const int favourites = 13;
    for (const char* t : {"zz", "aa", "mm"}) addPlace(favourites, t, kind::kFavouriteEntry, 5);
    for (PlaceOrder order : {PlaceOrder::Registration, PlaceOrder::Title, PlaceOrder::Abbreviation}) {
        PlaceTreeOptions o;
        o.order = order;
        EXPECT_EQ(childTitles(favourites, o), (std::vector<std::string>{"zz", "aa", "mm"}));
    }
}

TEST_F(PlaceTreeTest, SortingRandomSiblingsNeverBreaksTheOrder) {
    // Numbers and titles mixed at random: a pairwise rule would not be transitive here.
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i)
        addPlace(5, std::string(1, static_cast<char>('a' + random() % 26)), kind::kRoom,
                 static_cast<int>(random() % 3 == 0 ? 0 : random() % 50));
    const PlaceSnapshot places = PlaceSnapshot::of(tree());
    const std::vector<int> sorted = sortedPlaceChildren(places, 5, {}, TextCollator());
    ASSERT_EQ(sorted.size(), 500u);
    bool numbered = false;
    int lastNumber = 0;
    for (const int c : sorted) {
        const int number = places.row(c).number;
        if (number > 0) {
            EXPECT_GE(number, lastNumber);
            numbered = true;
            lastNumber = number;
        } else {
            EXPECT_FALSE(numbered) << "an unnumbered place after a numbered one";
        }
    }
}

TEST_F(PlaceTreeTest, ModelInsertsChildrenOnExpansionAndFollowsAddedPlaces) {
    PlaceTreeModel model(tree());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(root.data().toString().toStdString(), "LUDRIX");
    model.fetchMore(root);
    EXPECT_EQ(model.rowCount(root), 9);

    // A patrol adds a room on its thread; the view follows on the main thread.
    const QModelIndex sig = model.indexOfSerial(serialOf(5));
    model.fetchMore(sig);
    std::thread patrol([this] { addPlace(5, "new room", kind::kRoom, 2); });
    patrol.join();
    EXPECT_EQ(model.rowCount(sig), 0);  // rows change only in the main thread's handler
    model.sync();
    ASSERT_EQ(model.rowCount(sig), 1);
    EXPECT_EQ(model.index(0, 0, sig).data().toString().toStdString(), "new room");

    // A place whose title changes moves to its new position.
    const int b = addPlace(5, "b", kind::kFolder);
    model.sync();
    EXPECT_EQ(modelTitles(model, sig), (std::vector<std::string>{"b", "new room"}));
    tree().setTitle(b, "z");
    model.sync();
    EXPECT_EQ(modelTitles(model, sig), (std::vector<std::string>{"z", "new room"}));
    PlaceTreeOptions numbers;
    numbers.showNumber = true;
    model.setOptions(numbers);
    model.fetchMore(model.index(0, 0));
    model.fetchMore(model.indexOfSerial(serialOf(5)));
    EXPECT_EQ(modelTitles(model, model.indexOfSerial(serialOf(5))), (std::vector<std::string>{"z", "2 new room"}));
}

TEST_F(PlaceTreeTest, ChildrenAreInsertedOnFirstExpansion) {
    PlaceTreeModel model(tree());
    const QModelIndex root = model.index(0, 0);
    EXPECT_TRUE(model.hasChildren(root));
    EXPECT_EQ(model.rowCount(root), 0);
    ASSERT_TRUE(model.canFetchMore(root));
    model.fetchMore(root);
    EXPECT_EQ(model.rowCount(root), 9);
    EXPECT_FALSE(model.canFetchMore(root));
    const QModelIndex trash = model.indexOfSerial(serialOf(15));
    EXPECT_FALSE(model.hasChildren(trash));
}

TEST_F(PlaceTreeTest, HiddenPlaceIsLeftOutAndRevealingItAsksOnce) {
    const int forum = addPlace(5, "hidden forum", kind::kForum);
    const int room = addPlace(forum, "room", kind::kRoom, 1);
    tree().setFlags(forum, ITEM_FLAG_HIDDEN_PLACE, ITEM_FLAG_HIDDEN_PLACE);
    tree().setFlags(room, ITEM_FLAG_HIDDEN_PLACE, ITEM_FLAG_HIDDEN_PLACE);
    PlaceTreeModel model(tree());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.fetchMore(model.index(0, 0));
    const QModelIndex sig = model.indexOfSerial(serialOf(5));
    EXPECT_FALSE(model.hasChildren(sig));

    test::ScriptedQuestions questions;
    questions.answer = false;
    EXPECT_FALSE(model.reveal(serialOf(room), &questions).isValid());
    EXPECT_TRUE(tree().item(forum).hasFlag(ITEM_FLAG_HIDDEN_PLACE));
    EXPECT_FALSE(model.reveal(serialOf(room), nullptr).isValid());

    questions.answer = true;
    const QModelIndex shown = model.reveal(serialOf(room), &questions);
    ASSERT_TRUE(shown.isValid());
    EXPECT_EQ(shown.data().toString().toStdString(), "room");
    EXPECT_EQ(questions.asked, (std::vector<int>{texts::kHiddenPlaceQuestion.id, texts::kHiddenPlaceQuestion.id}));
    EXPECT_FALSE(tree().item(forum).hasFlag(ITEM_FLAG_HIDDEN_PLACE));
    EXPECT_FALSE(tree().item(room).hasFlag(ITEM_FLAG_HIDDEN_PLACE));

    PlaceTreeOptions showHidden;
    showHidden.showHidden = true;
    tree().setFlags(forum, ITEM_FLAG_HIDDEN_PLACE, ITEM_FLAG_HIDDEN_PLACE);
    model.setOptions(showHidden);
    EXPECT_TRUE(model.reveal(serialOf(room), nullptr).isValid());
}

}  // namespace
}  // namespace morvaline
