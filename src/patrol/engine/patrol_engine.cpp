#include "patrol/engine/patrol_engine.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "link/result_codes.h"
#include "patrol/engine/menu_texts.h"
#include "platform/sjis.h"
#include "platform/text_codec.h"

namespace morvaline {

CPatrolEngine::CPatrolEngine(EngineLinks links, DialogueSettings settings)
    : links_(links), settings_(settings) {
    links_.block.setWaitTimeout(-1);
    links_.block.setResult(result::Ok);
}

CPatrolEngine::~CPatrolEngine() {
    links_.block.engineGone();
}

bool CPatrolEngine::waitForData(int ms) {
    return links_.clock.waitFor(links_.block.dataArrived, ms);
}

// Transitions of one wait:
//   scan the unread text -> a prompt that is not quiet matched: return its index;
//   all read, a quiet prompt ends it -> wait IdleTime: silence returns the prompt, new
//     text goes back to scanning;
//   all read otherwise -> wait the wait timeout for more: new text goes back to scanning,
//     silence ends the run with Silence (unless there is no limit).
// A result code set by another thread ends the wait after any of the waits.
Waited<int> CPatrolEngine::WaitForPrompts(std::span<const Prompt> prompts, std::string* capture) {
    MORVALINE_ASSERT_THREAD(thread_);
    assert(!prompts.empty() && prompts.size() <= PromptMatcher::kMaxPrompts);
    CommBlock& block = links_.block;
    PromptMatcher matcher(prompts);
    std::size_t seen = 0;  // bytes read by this wait
    if (capture) capture->clear();
    // The capture ends just before the prompt that ended the wait; a capture cut short at
    // its limit keeps what it holds.
    const auto finishCapture = [&](int index) {
        if (!capture) return;
        const std::size_t length = matcher.length(index);
        const std::size_t end = seen >= length ? seen - length : 0;
        if (capture->size() > end) capture->resize(end);
    };
    // True when unread text is waiting; otherwise DataArrived is reset, so that a late or
    // stale signal does not make the next wait return at once.
    const auto hasUnread = [&block] {
        auto buffer = block.lock();
        if (!buffer.empty()) return true;
        buffer.consumeAll();
        return false;
    };

    // A lost line still lets the wait read what the host sent before it closed the line (its
    // last screen); any other result ends the wait at once.
    const auto endsAtOnce = [&block] {
        const int code = block.result();
        return code != result::Ok && code != result::LineLost;
    };
    if (endsAtOnce()) return Waited<int>::ended(block.result());
    for (;;) {
        {
            auto buffer = block.lock();
            const std::string_view data = buffer.unconsumed();
            const PromptMatcher::Scan scan = matcher.scan(data);
            if (capture && capture->size() < kCaptureLimit)
                capture->append(
                    data.substr(0, std::min(scan.used, kCaptureLimit - capture->size())));
            seen += scan.used;
            if (scan.matched >= 0) {
                buffer.consume(scan.used);
                finishCapture(scan.matched);
                return Waited<int>::prompt(scan.matched);
            }
            buffer.consumeAll();
        }
        if (const int code = block.result(); code != result::Ok) return Waited<int>::ended(code);

        if (const int quiet = matcher.quietPromptAtEnd(); quiet >= 0) {
            bool hostWentOn = false;
            while (!hostWentOn) {
                const bool signalled = waitForData(settings_.idleTimeMs);
                if (endsAtOnce()) return Waited<int>::ended(block.result());
                if (block.result() != result::Ok) break;  // the line was lost: read what came
                hostWentOn = hasUnread();
                if (!hostWentOn && !signalled) {
                    finishCapture(quiet);
                    return Waited<int>::prompt(quiet);
                }
            }
            continue;
        }

        const int timeout = block.waitTimeout();
        const bool signalled = waitForData(timeout);
        if (endsAtOnce()) return Waited<int>::ended(block.result());
        if (block.result() != result::Ok) continue;  // the line was lost: read what came
        if (!signalled && timeout >= 0 && !hasUnread()) {
            block.setResultIfOk(result::Silence);
            return Waited<int>::ended(block.result());
        }
    }
}

result::Code CPatrolEngine::WaitFor(std::string_view text, bool quiet) {
    const Prompt prompt{text, quiet};
    return WaitForPrompts({&prompt, 1}).code();
}

Waited<int> CPatrolEngine::WaitForAny(std::initializer_list<std::string_view> texts, bool quiet) {
    assert(texts.size() >= 2 && texts.size() <= 6);
    std::array<Prompt, 6> prompts;
    std::size_t count = 0;
    for (const std::string_view text : texts) {
        if (count == prompts.size()) break;
        prompts[count++] = {text, quiet};
    }
    return WaitForPrompts({prompts.data(), count});
}

result::Code CPatrolEngine::CaptureUntil(std::string_view text, std::string& out) {
    const Prompt prompt{text, false};
    return WaitForPrompts({&prompt, 1}, &out).code();
}

Waited<LineRead> CPatrolEngine::ReadLine(std::string& out,
                                         std::initializer_list<std::string_view> prompts) {
    assert(prompts.size() >= 1 && prompts.size() < PromptMatcher::kMaxPrompts);
    std::array<Prompt, PromptMatcher::kMaxPrompts> list;
    list[0] = {"\r\n", false};
    std::size_t count = 1;
    for (const std::string_view prompt : prompts) {
        if (count == list.size()) break;
        list[count++] = {prompt, true};
    }
    const Waited<int> got = WaitForPrompts({list.data(), count}, &out);
    if (!got) return Waited<LineRead>::ended(got.code());
    return Waited<LineRead>::prompt(got.which() == 0 ? LineRead::Line : LineRead::Prompt);
}

Waited<LineRead> CPatrolEngine::ReadScreenLine(std::string& out,
                                               std::initializer_list<std::string_view> prompts) {
    // The next piece of a long line: at most one screen width, whole characters only.
    const auto takePiece = [this, &out](std::string line) {
        std::size_t cut =
            line.size() > kScreenWidth ? sjisCutLength(line, kScreenWidth) : line.size();
        if (cut == 0) cut = std::min(line.size(), kScreenWidth);
        pendingScreenLine_ = line.substr(cut);
        line.resize(cut);
        out = std::move(line);
    };
    if (!pendingScreenLine_.empty()) {
        takePiece(std::move(pendingScreenLine_));
        return Waited<LineRead>::prompt(LineRead::Line);
    }
    std::string line;
    const Waited<LineRead> got = ReadLine(line, prompts);
    if (got.is(LineRead::Line)) {
        takePiece(std::move(line));
    } else {
        out = std::move(line);
    }
    return got;
}

Waited<MenuRead> CPatrolEngine::ReadMenuLine(std::string& out) {
    const MenuTexts& t = menuTexts();
    enum class Ended { Line, More, Prompt };
    const Screen<Ended, 3> menu{{{{"\r\n", false}, {t.promptMore, false}, {t.promptOpen, false}}}};
    const Waited<Ended> got = WaitForScreen(menu, &out);
    if (!got) return Waited<MenuRead>::ended(got.code());
    if (got.is(Ended::Line)) {
        if (out.size() > 1 && out[0] == '\n') out.erase(0, 1);
        return Waited<MenuRead>::prompt(MenuRead::Line);
    }
    if (const result::Code listed = CaptureUntil(t.promptEnd, out); listed != result::Ok)
        return Waited<MenuRead>::ended(listed);
    return Waited<MenuRead>::prompt(out.find("Q,N") != std::string::npos ? MenuRead::MorePages
                                                                         : MenuRead::LastPage);
}

result::Code CPatrolEngine::WaitForMenuPrompt() {
    if (const result::Code code = WaitFor(menuTexts().promptLine, false); code != result::Ok)
        return code;
    return WaitFor(menuTexts().promptEnd, false);
}

void CPatrolEngine::Send(std::string_view text) {
    write(text, Secrecy::Plain);
}

void CPatrolEngine::SendSecret(std::string_view text) {
    write(text, Secrecy::Secret);
}

void CPatrolEngine::write(std::string_view text, Secrecy secrecy) {
    MORVALINE_ASSERT_THREAD(thread_);
    CommBlock& block = links_.block;
    if (block.result() != result::Ok) return;
    block.lock().consumeAll();
    // A text that cannot be written means the line is gone, even when the connection has
    // not noticed yet.
    if (!links_.line.writeText(text, secrecy)) block.setResultIfOk(result::LineLost);
}

result::Code CPatrolEngine::SendEchoed(std::string_view text) {
    Send(text);
    if (result() != result::Ok || text.empty()) return result();
    return WaitFor(text, false);
}

int CPatrolEngine::SendTextBody(const ReservedText& item, long long& bytesSent) {
    MORVALINE_ASSERT_THREAD(thread_);
    constexpr std::size_t kNameLimit = 40;
    if (result() != result::Ok) return 0;
    ReservedText request = item;
    request.name = sjisBoundedCopy(item.name, kNameLimit);
    if (!links_.store.openTextToSend(request) || result() != result::Ok) return 0;
    int budget = settings_.sendAhead;
    int lines = 0;
    while (result() == result::Ok) {
        const int length = links_.store.sendNextTextLine();
        if (length <= 0) break;
        bool echoed = true;
        if (budget > 0) {
            --budget;
        } else {
            echoed = WaitFor("\n", false) == result::Ok;
        }
        bytesSent += length;
        ++lines;
        if (!echoed) break;
        if (settings_.delayAfterCrMs > 0) links_.clock.sleepFor(settings_.delayAfterCrMs);
    }
    return lines;
}

}  // namespace morvaline
