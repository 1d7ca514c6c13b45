#include "patrol/run/login_script.h"

#include "platform/sjis.h"

namespace morvaline {

std::string expandCaretNotation(std::string_view script) {
    std::string out;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const auto c = static_cast<unsigned char>(script[i]);
        if (isSjisLeadByte(c) && i + 1 < script.size()) {
            out += script.substr(i, 2);
            ++i;
            continue;
        }
        if (c != '^') {
            out += static_cast<char>(c);
            continue;
        }
        if (++i >= script.size()) break;  // a caret at the end is dropped
        const auto next = static_cast<unsigned char>(script[i]);
        if (next == '^')
            out += '^';
        else if (next >= 64 && next <= 95)
            out += static_cast<char>(next - 64);
        else if (next >= 96 && next <= 126)
            out += static_cast<char>(next - 96);
        else if (next == '?')
            out += '\x7F';  // DEL
        else if (next == ' ')
            out += '\0';
        // A caret before anything else is dropped with it.
    }
    return out;
}

std::vector<ScriptStep> parseLoginScript(std::string_view expanded) {
    std::vector<ScriptStep> steps;
    auto send = [&steps](std::string_view text) {
        if (!steps.empty() && steps.back().kind == ScriptStep::Kind::Send)
            steps.back().text += text;
        else
            steps.push_back({ScriptStep::Kind::Send, std::string(text)});
    };
    for (std::size_t i = 0; i < expanded.size(); ++i) {
        const char c = expanded[i];
        if (isSjisLeadByte(static_cast<unsigned char>(c)) && i + 1 < expanded.size()) {
            send(expanded.substr(i, 2));
            ++i;
        } else if (c == '[') {
            const std::size_t close = expanded.find(']', i + 1);
            const std::size_t end = close == std::string_view::npos ? expanded.size() : close;
            steps.push_back(
                {ScriptStep::Kind::WaitFor, std::string(expanded.substr(i + 1, end - i - 1))});
            i = end;
        } else if (c == '\'') {
            send("\r");
        } else if (c == '*') {
            steps.push_back({ScriptStep::Kind::Pause, {}});
        } else {
            send(expanded.substr(i, 1));
        }
    }
    return steps;
}

}  // namespace morvaline
