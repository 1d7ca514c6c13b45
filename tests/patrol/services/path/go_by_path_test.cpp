// Dialogue tests of the way to a place by its host path and of the generic screen handler,
// against the scripted host: each row is a transcript of what the host showed (S:) and what
// the client sent (C:), and how the way ended.

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "patrol/services/path/go_by_path.h"
#include "platform/text_codec.h"
#include "store/item_array.h"
#include "support/scripted_host.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

std::string shows(std::string_view text) { return "S: " + std::string(text) + "\n"; }

// "J", the code and CR, each echoed.
std::string jump(std::string_view code) {
    return "C: J\nC: " + std::string(code) + "\nS: J" + std::string(code) + "\nC: \\r\nS: \\r\\n\n";
}
std::string element(std::string_view text) {
    return "C: " + std::string(text) + "\nS: " + std::string(text) + "\nC: \\r\nS: \\r\\n\n";
}
const std::string kMenu = shows("\\r\\n番号またはコマンド(M,F,H,Q,J)=");
const std::string kMenuMore = shows("\\r\\n番号またはコマンド(M,F,H,Q,N,J)=");

struct Way {
    const char* name;
    int kind;
    const char* path;
    const char* password;
    std::string transcript;
    result::Code code;
    std::vector<std::string> reports;
};

TEST(GoByPath, AnswersTheScreensOnTheWay) {
    const Way ways[] = {
        {"a board behind a password, with a second page", kind::kBoard, "BOARD/2", "pw",
         jump("BOARD") + shows("PASSWORD: ") + "C: pw\\r\n" + shows("\\r\\n　１．あ\\r\\n") + kMenuMore +
             "C: N\\r\nS: N\\r\\n\n" + shows("　２．い\\r\\n") + kMenu + element("2") + kMenu,
         result::Ok, {}},
        {"a paid service refused at its question", kind::kClub, "PAY", "",
         jump("PAY") + shows("このサービスは、通信料の他に情報料がかかるサービスです。\\r\\n") +
             shows("\\r\\nよろしいですか(Y,N)=") + "C: N\\r\n" + kMenu,
         result::PlaceFailed, {"'有料' 有料ｻｰﾋﾞｽへの移行を禁止します"}},
        {"a password asked twice", kind::kCircle, "CIRC", "pw",
         jump("CIRC") + shows("PASSWORD: ") + "C: pw\\r\n" + shows("\\r\\nPASSWORD: ") + "C: \\r\n" + kMenu,
         result::PlaceFailed, {}},
        {"a text entry left with ..", kind::kUnknownPlace, "TALK/1", "",
         jump("TALK") + kMenu + element("1") +
             shows("行の先頭に、半角..を入力すると終了します。５０１行以上は登録されません。\\r\\n") +
             "C: ..\\r\n" + shows("\\r\\nコマンド(M,S,F,H,Q,W,J)="),
         result::Ok, {}},
        {"a step the host refused", kind::kNotices, "NEWS/9", "",
         jump("NEWS") + kMenu + element("9") +
             shows("番号またはコマンドが間違っています。訂正して下さい。\\r\\n") + kMenu,
         result::PlaceFailed, {}},
        {"a forum area: its number is the forum code's", kind::kForumArea, "PCSIG/3", "",
         jump("PCSIG") + shows("\\r\\n番号またはコマンド(M,S,F,H,Q,J)="), result::Ok, {}},
        {"a line lost on the way", kind::kBoard, "BOARD", "", jump("BOARD") + "X\n", result::LineLost, {}},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        ScriptedHost host(way.transcript);
        CPatrolEngine engine(host.links(), DialogueSettings{});
        engine.setWaitTimeout(60'000);
        CItemArray tree;
        tree.add(-1, 0, 0, "MAIN", "MAIN", kind::kRoot, 0);
        const int place = tree.add(0, 0, 0, "P", sj("有料"), way.kind, 0, 0, way.password);
        tree.setPath(place, way.path);
        const ScreenReached reached = GoByPath(engine, tree, place);
        EXPECT_EQ(reached.code, way.code);
        EXPECT_TRUE(host.faults().empty()) << host.faults().front();
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries not played";
        EXPECT_EQ(host.reports(), way.reports);
        if (way.code == result::Ok) {
            EXPECT_TRUE(reached.prompt.ends_with(")=")) << reached.prompt;
        }
    }
}

TEST(GoByPath, APostingPlaceEndsAtItsTextEntry) {
    ScriptedHost host(jump("BOX") + kMenu + element("1") +
                      shows("行の先頭に半角．．を入力しますと、メッセージ入力を終了します。\\r\\n"));
    CPatrolEngine engine(host.links(), DialogueSettings{});
    engine.setWaitTimeout(60'000);
    CItemArray tree;
    tree.add(-1, 0, 0, "MAIN", "MAIN", kind::kRoot, 0);
    const int place = tree.add(0, 0, 0, "BOX", "BOX", kind::kSentMail, 0);
    tree.setPath(place, "BOX/1");
    EXPECT_EQ(GoByPath(engine, tree, place, PathEnd::TextEntry).code, result::Ok);
    EXPECT_TRUE(host.finished());
    // A path with an empty element or a control byte is never typed.
    tree.setPath(place, "BOX//1");
    EXPECT_EQ(GoByPath(engine, tree, place).code, result::PlaceFailed);
    tree.setPath(place, "BOX\r1");
    EXPECT_EQ(GoByPath(engine, tree, place).code, result::PlaceFailed);
}

}  // namespace
}  // namespace morvaline
