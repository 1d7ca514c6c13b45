// The Telnet recogniser and the negotiation answers.

#include <gtest/gtest.h>

#include "comm/telnet_filter.h"
#include "comm/telnet_negotiation.h"

namespace morvaline {
namespace {

using namespace telnet;

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values) s += static_cast<char>(v);
    return s;
}

// Runs bytes through the filter: the data that passes, and the commands taken out.
struct Filtered {
    std::string data;
    std::vector<TelnetCommand> commands;
};
Filtered runFilter(TelnetFilter& filter, std::string_view input) {
    Filtered out;
    for (const char c : input) {
        switch (filter.feed(static_cast<std::uint8_t>(c))) {
            case TelnetFilter::Byte::Data:
                out.data += c;
                break;
            case TelnetFilter::Byte::EscapedFF:
                out.data += '\xFF';
                break;
            case TelnetFilter::Byte::Consumed:
                if (filter.commandDone()) out.commands.push_back(filter.command());
                break;
        }
    }
    return out;
}

TEST(TelnetFilter, TakesCommandsOutOfTheData) {
    struct Case {
        const char* name;
        std::string input;
        std::string data;
        std::vector<TelnetCommand::Kind> commands;
    };
    using K = TelnetCommand::Kind;
    const Case cases[] = {
        {"IAC IAC is one data byte 0xFF",
         "a" + bytes({kIac, kIac}) + "b",
         "a\xFF"
         "b",
         {}},
        {"a negotiation takes three bytes",
         "a" + bytes({kIac, kDo, kOptEcho}) + "b",
         "ab",
         {K::Negotiation}},
        {"a two-byte command keeps the next data byte",
         bytes({kIac, 0xF1, 'x', kIac, kBrk, 'y'}),
         "xy",
         {K::Other, K::Other}},
        {"GA and SE alone are two-byte commands",
         bytes({kIac, 0xF9, kIac, kSe}) + "z",
         "z",
         {K::Other, K::Other}},
        {"sub-negotiation to IAC SE",
         bytes({kIac, kSb, 24, 1, kIac, kSe}) + "t",
         "t",
         {K::SubNegotiation}},
        {"IAC IAC inside SB is data, not the end",
         bytes({kIac, kSb, 24, kIac, kIac, kSe, 5, kIac, kSe}) + "u",
         "u",
         {K::SubNegotiation}},
        {"a command split over reads is still one", bytes({kIac}), "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TelnetFilter filter;
        const Filtered out = runFilter(filter, c.input);
        EXPECT_EQ(out.data, c.data);
        ASSERT_EQ(out.commands.size(), c.commands.size());
        for (std::size_t i = 0; i < c.commands.size(); ++i)
            EXPECT_EQ(out.commands[i].kind, c.commands[i]);
    }
}

TEST(TelnetFilter, SubNegotiationOfAnyLengthEndsAtIacSe) {
    TelnetFilter filter;
    std::string input = bytes({kIac, kSb, 24});
    input += std::string(500, 'x');
    input += bytes({kIac, kSe}) + "after";
    const Filtered out = runFilter(filter, input);
    EXPECT_EQ(out.data, "after");
    ASSERT_EQ(out.commands.size(), 1u);
    const std::string& stored = out.commands[0].stored;
    EXPECT_EQ(stored.size(), TelnetFilter::kStoredLimit);
    EXPECT_EQ(stored.substr(0, 3), bytes({kSb, 24, 'x'}));
    EXPECT_EQ(stored.substr(stored.size() - 2), bytes({kIac, kSe}));
}

TEST(TelnetFilter, ANegotiationSplitAcrossReadsCompletes) {
    TelnetFilter filter;
    EXPECT_TRUE(runFilter(filter, bytes({kIac, kWill})).commands.empty());
    const Filtered out = runFilter(filter, bytes({kOptEcho}) + "x");
    ASSERT_EQ(out.commands.size(), 1u);
    EXPECT_EQ(out.commands[0].verb, kWill);
    EXPECT_EQ(out.commands[0].option, kOptEcho);
    EXPECT_EQ(out.data, "x");
}

// What the negotiator sends for a received command, as bytes.
std::string answerTo(TelnetNegotiator& negotiator, std::uint8_t verb, std::uint8_t option) {
    TelnetCommand command;
    command.kind = TelnetCommand::Kind::Negotiation;
    command.verb = verb;
    command.option = option;
    std::string sent;
    for (const TelnetAction& action : negotiator.received(command))
        if (action.kind == TelnetAction::Kind::Send) sent += action.bytes;
    return sent;
}

TEST(TelnetNegotiation, EveryRowOfTheAnswerTable) {
    struct Row {
        std::uint8_t verb;
        std::uint8_t option;
        std::uint8_t answer;
    };
    const Row rows[] = {
        {kWill, kOptBinary, kDo},
        {kWont, kOptBinary, kDo},
        {kWill, kOptEcho, kDo},
        {kWont, kOptEcho, kDont},
        {kWill, kOptSuppressGoAhead, kDo},
        {kWont, kOptSuppressGoAhead, kDo},
        {kWill, kOptStatus, kDont},
        {kWont, 31, kDont},
        {kDo, kOptBinary, kWill},
        {kDont, kOptBinary, kWill},
        {kDo, kOptTerminalType, kWill},
        {kDont, kOptTerminalType, kWont},
        {kDo, kOptSuppressGoAhead, kWill},
        {kDont, kOptSuppressGoAhead, kWill},
        {kDo, 31, kWont},
        {kDont, kOptLineMode, kWont},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.verb) << " " << int(row.option));
        TelnetNegotiator negotiator;  // nothing sent before: every command is answered
        EXPECT_EQ(answerTo(negotiator, row.verb, row.option),
                  bytes({kIac, row.answer, row.option}));
    }
    TelnetNegotiator negotiator;
    TelnetCommand other;
    other.kind = TelnetCommand::Kind::Other;
    other.verb = kBrk;
    EXPECT_TRUE(negotiator.received(other).empty());
}

TEST(TelnetNegotiation, AnAcknowledgementIsNotAnsweredAgain) {
    TelnetNegotiator negotiator;
    negotiator.opening();                                  // sent DO ECHO among others
    EXPECT_EQ(answerTo(negotiator, kWill, kOptEcho), "");  // the host agrees: nothing to say
    EXPECT_EQ(answerTo(negotiator, kWont, kOptEcho), bytes({kIac, kDont, kOptEcho}));
    EXPECT_EQ(answerTo(negotiator, kWont, kOptEcho), "");  // DONT is what we said last
    // A new connection forgets what was sent.
    negotiator.reset();
    EXPECT_EQ(answerTo(negotiator, kWont, kOptEcho), bytes({kIac, kDont, kOptEcho}));
}

TEST(TelnetNegotiation, OptionsBeyondTheTablesAreAlwaysAnswered) {
    TelnetNegotiator negotiator;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(answerTo(negotiator, kWill, 200), bytes({kIac, kDont, 200}));
    EXPECT_EQ(answerTo(negotiator, kDo, 39), bytes({kIac, kWont, 39}));
    EXPECT_EQ(answerTo(negotiator, kDo, 39), "");
}

TEST(TelnetNegotiation, TerminalTypeIsAnsweredUnknown) {
    TelnetNegotiator negotiator;
    EXPECT_EQ(answerTo(negotiator, kDo, kOptTerminalType), bytes({kIac, kWill, kOptTerminalType}));
    TelnetCommand send;
    send.kind = TelnetCommand::Kind::SubNegotiation;
    send.stored = bytes({kSb, kOptTerminalType, 1, kIac, kSe});
    const auto actions = negotiator.received(send);
    ASSERT_EQ(actions.size(), 1u);
    const std::string expected =
        bytes({kIac, kSb, kOptTerminalType, 0}) + "UNKNOWN" + bytes({kIac, kSe, 0});
    EXPECT_EQ(expected.size(), 14u);
    EXPECT_EQ(actions[0], (TelnetAction{TelnetAction::Kind::Send, expected}));

    send.stored = bytes({kSb, kOptTerminalType, 0, 'X', kIac, kSe});  // IS, not SEND
    EXPECT_TRUE(negotiator.received(send).empty());
}

TEST(TelnetNegotiation, TraceLines) {
    TelnetNegotiator negotiator;
    negotiator.setTrace(true);
    std::vector<std::string> shown;
    std::string sent;
    for (const TelnetAction& action : negotiator.opening())
        (action.kind == TelnetAction::Kind::Show ? shown.emplace_back() : sent) += action.bytes;
    EXPECT_EQ(sent,
              bytes({kIac, kDo, 3, kIac, kWill, 3, kIac, kDo, 1, kIac, kDo, 0, kIac, kWill, 0}));
    const std::vector<std::string> expected = {
        "[Sent do SUPRESS GO AHEAD]\r\n", "[Sent will SUPRESS GO AHEAD]\r\n", "[Sent do ECHO]\r\n",
        "[Sent do BINARY]\r\n",           "[Sent will BINARY]\r\n",
    };
    EXPECT_EQ(shown, expected);

    TelnetCommand command;
    command.kind = TelnetCommand::Kind::Negotiation;
    command.verb = kDo;
    command.option = 99;
    const auto answer = negotiator.received(command);
    ASSERT_EQ(answer.size(), 3u);
    EXPECT_EQ(answer[0].bytes, "[Recv do 99]\r\n");
    EXPECT_EQ(answer[2].bytes, "[Sent won't 99]\r\n");

    command.kind = TelnetCommand::Kind::SubNegotiation;
    command.stored = bytes({kSb, kOptTerminalType, 200, kIac, kIac, kIac, kSe});
    EXPECT_EQ(negotiator.received(command).at(0).bytes, "[Recv SB 24 -56 SE]\r\n");
    EXPECT_EQ(TelnetNegotiator::traceLine("Recv", kSb, kOptTimingMark),
              "[Recv unknown TIMING MARK]\r\n");
}

}  // namespace
}  // namespace morvaline
