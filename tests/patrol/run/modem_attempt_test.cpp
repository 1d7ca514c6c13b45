// The modem dialogue in virtual time: set-up commands, dial, and each kind of answer.

#include "patrol/run/modem_attempt.h"

#include <gtest/gtest.h>

#include "link/result_codes.h"
#include "support/scripted_host.h"

namespace morvaline {
namespace {

TEST(ModemAttempt, EachAnswerOfTheModemEndsTheAttemptAsItShould) {
    const std::string setUp = "C: ATZ\\r\nS: ATZ\\r\\r\\nOK\\r\\n\nC: AT&K3\\r\nS: AT&K3\\r\\r\\nOK\\r\\n\n";
    const std::string dial = "C: ATDT0 1234\\r\n";
    struct Case {
        const char* name;
        std::string transcript;
        int result;
        const char* report;  // the last report, or empty
        long long virtualMs;
    };
    const Case cases[] = {
        {"connect", setUp + dial + "S: \\r\\nCONNECT 38400\\r\\n", result::Ok, "", 1000},
        {"busy", setUp + dial + "S: \\r\\nBUSY\\r\\n", result::Busy, "話中でした", 1000},
        {"no dial tone", setUp + dial + "S: \\r\\nNO DIALTONE\\r\\n", result::NoConnection,
         "接続できませんでした", 1000},
        {"error to the dial", setUp + dial + "S: \\r\\nERROR\\r\\n", result::ModemError,
         "ﾓﾃﾞﾑでｴﾗｰが発生しました。初期化ｺﾏﾝﾄﾞに誤りがある可能性があります。", 1000},
        {"error to a set-up command", "C: ATZ\\r\nS: \\r\\nERROR\\r\\n", result::ModemError,
         "ﾓﾃﾞﾑでｴﾗｰが発生しました。初期化ｺﾏﾝﾄﾞに誤りがある可能性があります。", 0},
        // A modem that never answers does not hold an unattended patrol for ever.
        {"silent after the dial", setUp + dial, result::NoConnection, "接続できませんでした",
         1000 + 120'000},
        {"silent to a set-up command", "C: ATZ\\r\n", result::NoConnection,
         "接続できませんでした", 120'000},
        {"line lost while dialling", setUp + dial + "X\n", result::LineLost, "", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedHost host(c.transcript);
        CPatrolEngine engine(host.links(), DialogueSettings{});
        engine.setWaitTimeout(-1);
        EXPECT_EQ(attemptModem(engine, {{"ATZ\r", "AT&K3\r"}, "ATDT0 1234\r"}), c.result);
        EXPECT_EQ(host.block.lineUp(), c.result == result::Ok);
        EXPECT_TRUE(host.finished()) << host.remaining() << " entries left";
        EXPECT_EQ(host.reports().empty() ? "" : host.reports().back(), c.report);
        EXPECT_EQ(host.nowMs(), c.virtualMs);
        EXPECT_EQ(engine.block().waitTimeout(), -1);  // the connection loop's wait is restored
    }

    test::ScriptedHost noPort("");
    noPort.portOpens = false;
    CPatrolEngine engine(noPort.links(), DialogueSettings{});
    EXPECT_EQ(attemptModem(engine, {{"ATZ\r"}, "ATDT1\r"}), result::ModemError);
    EXPECT_TRUE(noPort.reports().empty());  // the port reported its own failure
}

}  // namespace
}  // namespace morvaline
