// kill -9 at random moments of a move, an expiry run and a repair: afterwards every
// message is in its place or its target (never in neither), every list opens, and the
// file check finds nothing (or, for the repair, finishes what was cut short).
//
// The work runs in a forked child, which the test kills with SIGKILL once the child said
// it starts, after a random part of the time the whole work took in a first, complete run.
// Any moment is a valid outcome, so the randomness never makes the test flaky.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "platform/text_codec.h"
#include "store/file_check.h"
#include "store/item_transfer.h"
#include "store/log_capture.h"
#include "store/mail_folders.h"
#include "support/new_user.h"
#include "tools/auto_delete.h"

namespace morvaline {
namespace {

constexpr int kMessages = 300;
constexpr int kKills = 12;

struct Yes : ToolQuestions {
    Answer ask(const Text&, const std::string&, bool) override { return Answer::Yes; }
    void tell(const Text&, const std::string&) override {}
};

// Runs work in a child; with a delay, kills it that long after it started. The work's
// duration when it ran to its end.
std::chrono::microseconds runChild(const std::function<void()>& work, std::optional<std::chrono::microseconds> killAfter) {
    int ready[2];
    if (::pipe(ready) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        const char go = 1;
        if (::write(ready[1], &go, 1) != 1) ::_exit(2);
        work();
        ::_exit(0);
    }
    ::close(ready[1]);
    char go = 0;
    const bool started = ::read(ready[0], &go, 1) == 1;
    ::close(ready[0]);
    const auto start = std::chrono::steady_clock::now();
    if (started && killAfter) {
        // The moment of the kill; not a wait for anything.
        std::this_thread::sleep_for(*killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
}

std::multiset<std::string> titles(CTolDoc& doc, int place) {
    std::multiset<std::string> t;
    ListLoad outcome = ListLoad::Missing;
    CItemArray* list = doc.openExistingList(place, false, &outcome);
    EXPECT_TRUE(outcome == ListLoad::Loaded || outcome == ListLoad::Missing) << static_cast<int>(outcome);
    for (int i = 1; list && i < list->size(); ++i) t.emplace(list->item(i).m_szTitle.view());
    doc.closeList(list);
    return t;
}

void expectCheckPasses(CTolDoc& doc) {
    Yes yes;
    ToolRun run;
    run.questions = &yes;
    EXPECT_EQ(CheckFiles(doc, false, run).problems, 0);
}

// Kills the work at random moments kKills times over fresh data sets; prepare returns the
// work, verify checks the data set afterwards.
void killRepeatedly(const std::function<std::function<void()>(test::NewUser&)>& prepare,
                    const std::function<void(test::NewUser&)>& verify) {
    std::chrono::microseconds whole{};
    {
        test::NewUser u;
        whole = runChild(prepare(u), std::nullopt);
        verify(u);
    }
    std::mt19937 random(std::random_device{}());
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        test::NewUser u;
        const auto work = prepare(u);
        std::uniform_int_distribution<std::int64_t> moment(0, whole.count());
        runChild(work, std::chrono::microseconds(moment(random)));
        verify(u);
    }
}

TEST(CrashSafety, AKilledMoveLeavesEveryMessageInTheSourceOrTheTarget) {
    int from = 0, to = 0;
    std::multiset<std::string> all;
    killRepeatedly(
        [&](test::NewUser& u) -> std::function<void()> {
            from = addMailFolder(*u.doc, test::kMailFolderPlace, "from");
            to = addMailFolder(*u.doc, test::kMailFolderPlace, "to");
            all.clear();
            {
                OpenedList list(*u.doc, from);
                for (int n = 0; n < kMessages; ++n) {
                    all.insert("mail " + std::to_string(n));
                    u.store(*list, "mail " + std::to_string(n), std::string(200, 'x'));
                }
            }
            return [&u, from, to] {
                // One message at a time, so that a kill lands between as well as inside moves.
                OpenedList source(*u.doc, from);
                OpenedList target(*u.doc, to);
                while (source->size() > 1) moveItems(*u.doc, *source, {1}, *target);
            };
        },
        [&](test::NewUser& u) {
            std::multiset<std::string> seen = titles(*u.doc, from);
            const auto moved = titles(*u.doc, to);
            std::set<std::string> unique(seen.begin(), seen.end());
            for (const std::string& t : moved) unique.insert(t);
            EXPECT_EQ(unique, std::set<std::string>(all.begin(), all.end()));
            // At most the one message being moved is in both.
            EXPECT_LE(seen.size() + moved.size(), all.size() + 1);
            expectCheckPasses(*u.doc);
        });
}

TEST(CrashSafety, AKilledExpiryRunLeavesEveryMessageInItsPlaceOrTheTrash) {
    int folder = 0;
    std::multiset<std::string> all;
    killRepeatedly(
        [&](test::NewUser& u) -> std::function<void()> {
            folder = addMailFolder(*u.doc, test::kMailFolderPlace, "old");
            u.doc->setInteger(docint::kAutoDeleteOn, 1);
            u.doc->tree().setDeleteRule(folder, u.doc->deleteRules().add("1 day", 0, 1, 0));
            all.clear();
            {
                OpenedList list(*u.doc, folder);
                for (int n = 0; n < kMessages * 3; ++n) {
                    all.insert("old " + std::to_string(n));
                    u.store(*list, "old " + std::to_string(n), std::string(200, 'y'), -17, 0, 1'000'000'000);
                }
            }
            return [&u] { runAutoDeletion(*u.doc, fileTimeNow(), {}); };
        },
        [&](test::NewUser& u) {
            std::multiset<std::string> seen = titles(*u.doc, folder);
            for (const std::string& t : titles(*u.doc, test::kTrashPlace)) seen.insert(t);
            EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()), std::set<std::string>(all.begin(), all.end()));
            EXPECT_LE(seen.size(), all.size() + 64);  // at most the group being moved twice
            expectCheckPasses(*u.doc);
        });
}

TEST(CrashSafety, AKilledRepairIsFinishedByTheNextCheck) {
    int board = 0;
    std::multiset<std::string> all;
    killRepeatedly(
        [&](test::NewUser& u) -> std::function<void()> {
            board = u.doc->tree().add(6, 25, 0, "BOARD", "board", kind::kBoard, 0);
            all.clear();
            std::filesystem::path listFile;
            {
                OpenedList list(*u.doc, board);
                LogCapture capture(*list, u.doc->tree().item(board), u.doc->generation());
                for (int n = 1; n <= kMessages; ++n) {
                    all.insert("message " + std::to_string(n));
                    for (const std::string& line :
                         {"#25/" + std::to_string(n) + " message " + std::to_string(n), sj("★タイトル (BOARD)"),
                          std::string(300, 'z'), std::string("  1/  1")})
                        capture.feed(line);
                }
                capture.finish();
                list->save();
                listFile = list->listFile();
            }
            std::filesystem::resize_file(listFile, 100);  // damaged
            return [&u] {
                Yes yes;
                ToolRun run;
                run.questions = &yes;
                CheckFiles(*u.doc, false, run);
            };
        },
        [&](test::NewUser& u) {
            // The next check (the one at the next open after an unclean end) finishes it.
            Yes yes;
            ToolRun run;
            run.questions = &yes;
            CheckFiles(*u.doc, false, run);
            const auto seen = titles(*u.doc, board);
            EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()), std::set<std::string>(all.begin(), all.end()));
            expectCheckPasses(*u.doc);
        });
}

}  // namespace
}  // namespace morvaline
