// Dialogue tests of the engine's primitives: each plays a transcript of what the host
// showed (S:), what the engine must send (C:) and where the line dropped (X), in virtual
// time.

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "patrol/engine/patrol_engine.h"
#include "platform/text_codec.h"
#include "support/scripted_host.h"

namespace morvaline {
namespace {

using test::ScriptedHost;

DialogueSettings settingsWith(int sendAhead = 0, int delayAfterCr = 0) {
    DialogueSettings settings;
    settings.timeoutMs = 120'000;
    settings.idleTimeMs = 800;
    settings.sendAhead = sendAhead;
    settings.delayAfterCrMs = delayAfterCr;
    return settings;
}

// An engine over the host, with the run's silence limit in force as after a connect.
struct Dialogue {
    explicit Dialogue(std::string_view transcript, DialogueSettings settings = settingsWith())
        : host(transcript), engine(host.links(), settings) {
        engine.setWaitTimeout(settings.timeoutMs);
    }
    void expectPlayedThrough() {
        EXPECT_TRUE(host.faults().empty()) << host.faults().front();
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries not played";
    }
    ScriptedHost host;
    CPatrolEngine engine;
};

TEST(EngineDialogue, LoginPromptsAnsweredInTurn) {
    Dialogue d(R"(
S: LUDRIX\r\n
S: USER_ID:
C: MVL00001
C: \r
S: MVL00001\r\nPASS
S: WORD:\x20
C: secret
C: \r
)");
    CPatrolEngine& e = d.engine;
    EXPECT_TRUE(e.WaitForAny({sj("ユーザＩＤ： "), "USER_ID:"}, false).is(1));
    e.Send("MVL00001");
    e.Send("\r");
    EXPECT_TRUE(
        e.WaitForAny({"PASSWORD: ", sj("パスワード： ")}, false).is(0));  // split over two reads
    e.Send("secret");
    e.Send("\r");
    d.expectPlayedThrough();
    EXPECT_EQ(e.result(), result::Ok);
    EXPECT_EQ(d.host.nowMs(), 0);  // no wait ran out
}

// A screen set names its prompts: the wait says which one came, or which result code
// ended the run instead.
TEST(EngineDialogue, AScreenWaitTellsWhichPromptCameOrWhatEndedTheRun) {
    Dialogue d(R"(
S: お知らせを表示しますか(Y,N)=
C: N\r
S: \r\nＩＤまたはパスワードが
X
)");
    enum class Shown { Line, Notices, Password };
    const std::string notices = sj("お知らせを表示しますか");
    const std::string password = sj("パスワード： ");
    const Screen<Shown, 3> screen{{{{"\r\n", false}, {notices, false}, {password, false}}}};
    CPatrolEngine& e = d.engine;
    const Waited<Shown> first = e.WaitForScreen(screen);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.which(), Shown::Notices);
    EXPECT_FALSE(first.is(Shown::Line));
    e.Send("N\r");
    ASSERT_TRUE(e.WaitForScreen(screen).is(Shown::Line));
    const Waited<Shown> last = e.WaitForScreen(screen);
    EXPECT_FALSE(last);
    EXPECT_FALSE(last.is(Shown::Line));
    EXPECT_EQ(last.code(), result::LineLost);
    d.expectPlayedThrough();
}

TEST(EngineDialogue, QuietPromptCountsOnlyWhenTheHostFallsSilent) {
    Dialogue d(R"(
S: 番号またはコマンド(M,S,F,H,Q,J)=
S: の説明\r\n番号またはコマンド(M,S,F,H,Q,J)=
C: M\r
)");
    CPatrolEngine& e = d.engine;
    std::string before;
    const std::string menuPrompt = sj("番号またはコマンド(M,S,F,H,Q,J)=");
    const Prompt prompt{menuPrompt, true};
    EXPECT_TRUE(e.WaitForPrompts({&prompt, 1}, &before).is(0));
    EXPECT_EQ(sjisToUtf8(before), "番号またはコマンド(M,S,F,H,Q,J)=の説明\r\n");
    EXPECT_EQ(d.host.nowMs(), 800);  // one IdleTime of silence, after the second prompt
    e.Send("M\r");
    d.expectPlayedThrough();
}

TEST(EngineDialogue, SendDiscardsTextThatArrivedBeforeIt) {
    Dialogue d(R"(
S: first>old>
C: go\r
S: new text>
)");
    CPatrolEngine& e = d.engine;
    ASSERT_EQ(e.WaitFor(">", false), 0);
    e.Send("go\r");  // "old>" was shown before the command and must not answer the next wait
    std::string captured;
    EXPECT_EQ(e.CaptureUntil(">", captured), 0);
    EXPECT_EQ(captured, "new text");
    d.expectPlayedThrough();
}

TEST(EngineDialogue, SendWithEchoWaitsForTheCommandToComeBack) {
    Dialogue d(R"(
C: JMAIN\r
S: JMA
S: IN\r
S: \n
)");
    EXPECT_EQ(d.engine.SendEchoed("JMAIN\r"), result::Ok);
    EXPECT_EQ(d.host.remaining(), 1u);  // the LF after the echo is not waited for
}

TEST(EngineDialogue, SilenceEndsTheRun) {
    Dialogue d(R"(
S: some text
C: never sent
)");
    EXPECT_EQ(d.engine.WaitFor(">", false), result::Silence);
    EXPECT_EQ(d.engine.result(), result::Silence);
    EXPECT_EQ(d.host.nowMs(), 120'000);
    // Once the run is over nothing more is sent and every wait returns at once.
    d.engine.Send("never sent");
    EXPECT_EQ(d.engine.WaitFor("x", false), result::Silence);
    EXPECT_EQ(d.host.remaining(), 1u);
}

TEST(EngineDialogue, NoWaitTimeoutMeansNoSilenceLimit) {
    Dialogue d(R"(
S: connecting
S: ...
S: done>
)");
    d.engine.setWaitTimeout(-1);
    EXPECT_EQ(d.engine.WaitFor(">", false), 0);
    for (const int wait : d.host.waits()) EXPECT_EQ(wait, -1);
    d.expectPlayedThrough();
}

TEST(EngineDialogue, LineDroppedEndsTheWaitAtOnce) {
    Dialogue d(R"(
S: half a comm
X
)");
    EXPECT_EQ(d.engine.WaitFor(sj("番号またはコマンド"), true), result::LineLost);
    EXPECT_EQ(d.host.nowMs(), 0);
    d.expectPlayedThrough();
}

TEST(EngineDialogue, ResultSetFromOutsideStopsEverything) {
    Dialogue d(R"(
S: text>
)");
    d.engine.block().setResult(result::Cancelled);
    EXPECT_EQ(d.engine.WaitFor(">", false), result::Cancelled);
    d.engine.Send("Q\r");
    EXPECT_EQ(d.host.remaining(), 1u);
    EXPECT_TRUE(d.host.faults().empty());
}

TEST(EngineDialogue, ReadLineReturnsLinesThenThePrompt) {
    Dialogue d(R"(
S: 　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)\r\n１．電子メール【到着】\r
S: \n番号またはコマンド(H,Q,J)=
C: JMAIN\r
)");
    CPatrolEngine& e = d.engine;
    std::string line;
    const std::string prompt = sj("番号またはコマンド(H,Q,J)=");
    ASSERT_TRUE(e.ReadLine(line, {prompt, sj("番号またはコマンド=")}).is(LineRead::Line));
    EXPECT_EQ(sjisToUtf8(line), "　＝＝＝ＬＵＤＲＩＸ＝＝＝  (MAIN)");
    ASSERT_TRUE(e.ReadLine(line, {prompt, sj("番号またはコマンド=")}).is(LineRead::Line));
    EXPECT_EQ(sjisToUtf8(line), "１．電子メール【到着】");  // CR LF split across reads
    ASSERT_TRUE(e.ReadLine(line, {prompt, sj("番号またはコマンド=")}).is(LineRead::Prompt));
    EXPECT_EQ(line, "");
    e.Send("JMAIN\r");
    d.expectPlayedThrough();
}

TEST(EngineDialogue, ReadScreenLineCutsLongLinesAtEightyBytes) {
    const std::string longLine(200, 'a');
    Dialogue d("S: " + longLine + "\\r\\n\nS: next\\r\\n\n");
    CPatrolEngine& e = d.engine;
    std::string piece;
    ASSERT_TRUE(e.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(piece.size(), 80u);
    EXPECT_EQ(d.host.remaining(), 1u);
    ASSERT_TRUE(e.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(piece.size(), 80u);
    ASSERT_TRUE(e.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(piece.size(), 40u);
    EXPECT_EQ(d.host.remaining(), 1u);  // the last two pieces came without reading the host
    ASSERT_TRUE(e.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(piece, "next");
}

TEST(EngineDialogue, ReadScreenLineNeverSplitsADoubleByteCharacter) {
    // 79 ASCII bytes, then a double-byte character that would straddle byte 80.
    const std::string line = std::string(79, 'a') + "あい";
    Dialogue d("S: " + line + "\\r\\n\n");
    std::string piece;
    ASSERT_TRUE(d.engine.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(piece, std::string(79, 'a'));
    ASSERT_TRUE(d.engine.ReadScreenLine(piece, {"="}).is(LineRead::Line));
    EXPECT_EQ(sjisToUtf8(piece), "あい");
}

TEST(EngineDialogue, ReadMenuLineTellsLinesFromPromptsWithAndWithoutMorePages) {
    Dialogue d(R"(
S: \n１．電子メール\r\n
S: 番号またはコマンド(M,Q,N)=
C: N\r
S: \n番号またはコマンド<M,Q,J)=
)");
    CPatrolEngine& e = d.engine;
    std::string out;
    ASSERT_TRUE(e.ReadMenuLine(out).is(MenuRead::Line));
    EXPECT_EQ(sjisToUtf8(out), "１．電子メール");  // the leading LF is dropped
    ASSERT_TRUE(e.ReadMenuLine(out).is(MenuRead::MorePages));
    EXPECT_EQ(out, "M,Q,N");
    e.Send("N\r");
    ASSERT_TRUE(e.ReadMenuLine(out).is(MenuRead::LastPage));
    EXPECT_EQ(out, "M,Q,J");
    d.expectPlayedThrough();
}

TEST(EngineDialogue, WaitForMenuPromptWaitsForTheWholePrompt) {
    Dialogue d(R"(
S: M\r\n番号または
S: コマンド(M,S
S: ,F,H,Q,J)=
C: 1\r
)");
    EXPECT_EQ(d.engine.WaitForMenuPrompt(), 0);
    d.engine.Send("1\r");
    d.expectPlayedThrough();
}

TEST(EngineDialogue, CaptureKeepsLongTextWhole) {
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "line " + std::to_string(i) + " of a long mail text\\r\\n";
    Dialogue d("S: " + body + "\nS: \\r\\n..\\r\\n\n");
    std::string captured;
    ASSERT_EQ(d.engine.CaptureUntil("\r\n..\r\n", captured), 0);
    EXPECT_GT(captured.size(), 100'000u);
    EXPECT_TRUE(captured.starts_with("line 0 of a long mail text\r\n"));
    EXPECT_TRUE(captured.ends_with("line 4999 of a long mail text\r\n"));
}

// SendAhead lines go out before the engine starts waiting for each line's echo (its LF).
TEST(EngineDialogue, SendTextBodyPacesLinesByTheirEcho) {
    for (const int sendAhead : {0, 2}) {
        SCOPED_TRACE(sendAhead);
        std::string script;
        for (int line = 1; line <= 5; ++line) {
            script += "C: line " + std::to_string(line) + "\\r\n";
            if (line > sendAhead) script += "S: echo\\r\\n\n";
        }
        Dialogue d(script, settingsWith(sendAhead, 250));
        for (int line = 1; line <= 5; ++line)
            d.host.textLines.push_back("line " + std::to_string(line) + "\r");
        long long bytes = 10;
        EXPECT_EQ(d.engine.SendTextBody({1, 2, "a title"}, bytes), 5);
        EXPECT_EQ(bytes, 10 + 5 * 7);
        EXPECT_EQ(d.host.nowMs(), 5 * 250);  // DelayAfterCr after each line
        d.expectPlayedThrough();
    }
}

TEST(EngineDialogue, SendTextBodyStopsWhenAnEchoNeverComes) {
    Dialogue d(R"(
C: line 1\r
X
)");
    d.host.textLines = {"line 1\r", "line 2\r"};
    long long bytes = 0;
    EXPECT_EQ(d.engine.SendTextBody({1, 2, "title"}, bytes), 1);
    EXPECT_EQ(d.engine.result(), result::LineLost);
    d.expectPlayedThrough();
}

TEST(EngineDialogue, SendTextBodySendsNothingWhenTheTextCannotBeOpened) {
    Dialogue d("");
    d.host.textOpens = false;
    d.host.textLines = {"line 1\r"};
    long long bytes = 0;
    EXPECT_EQ(d.engine.SendTextBody({1, 2, "title"}, bytes), 0);
    EXPECT_EQ(bytes, 0);
    d.expectPlayedThrough();
}

}  // namespace
}  // namespace morvaline
