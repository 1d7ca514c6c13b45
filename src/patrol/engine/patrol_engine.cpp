#include "patrol/engine/patrol_engine.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "link/result_codes.h"
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
int CPatrolEngine::WaitForPrompts(std::span<const Prompt> prompts, std::string* capture) {
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
    if (endsAtOnce()) return block.result();
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
                return scan.matched;
            }
            buffer.consumeAll();
        }
        if (const int code = block.result(); code != result::Ok) return code;

        if (const int quiet = matcher.quietPromptAtEnd(); quiet >= 0) {
            bool hostWentOn = false;
            while (!hostWentOn) {
                const bool signalled = waitForData(settings_.idleTimeMs);
                if (endsAtOnce()) return block.result();
                if (block.result() != result::Ok) break;  // the line was lost: read what came
                hostWentOn = hasUnread();
                if (!hostWentOn && !signalled) {
                    finishCapture(quiet);
                    return quiet;
                }
            }
            continue;
        }

        const int timeout = block.waitTimeout();
        const bool signalled = waitForData(timeout);
        if (endsAtOnce()) return block.result();
        if (block.result() != result::Ok) continue;  // the line was lost: read what came
        if (!signalled && timeout >= 0 && !hasUnread()) {
            block.setResultIfOk(result::Silence);
            return block.result();
        }
    }
}

int CPatrolEngine::WaitFor(std::string_view text, bool quiet) {
    const Prompt prompt{text, quiet};
    return WaitForPrompts({&prompt, 1});
}

int CPatrolEngine::WaitForAny(std::initializer_list<std::string_view> texts, bool quiet) {
    assert(texts.size() >= 2 && texts.size() <= 6);
    std::array<Prompt, 6> prompts;
    std::size_t count = 0;
    for (const std::string_view text : texts) {
        if (count == prompts.size()) break;
        prompts[count++] = {text, quiet};
    }
    return WaitForPrompts({prompts.data(), count});
}

int CPatrolEngine::CaptureUntil(std::string_view text, std::string& out) {
    const Prompt prompt{text, false};
    return WaitForPrompts({&prompt, 1}, &out);
}

int CPatrolEngine::ReadLine(std::string& out, std::initializer_list<std::string_view> prompts) {
    assert(prompts.size() >= 1 && prompts.size() < PromptMatcher::kMaxPrompts);
    std::array<Prompt, PromptMatcher::kMaxPrompts> list;
    list[0] = {"\r\n", false};
    std::size_t count = 1;
    for (const std::string_view prompt : prompts) {
        if (count == list.size()) break;
        list[count++] = {prompt, true};
    }
    return WaitForPrompts({list.data(), count}, &out);
}

int CPatrolEngine::ReadScreenLine(std::string& out,
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
        return 0;
    }
    std::string line;
    const int index = ReadLine(line, prompts);
    if (index == 0) {
        takePiece(std::move(line));
    } else {
        out = std::move(line);
    }
    return index;
}

int CPatrolEngine::ReadMenuLine(std::string& out) {
    static const std::string kMenuMore = sj("番号またはコマンド<");
    static const std::string kMenuPrompt = sj("番号またはコマンド(");
    const Prompt prompts[] = {{"\r\n", false}, {kMenuMore, false}, {kMenuPrompt, false}};
    const int index = WaitForPrompts(prompts, &out);
    if (index < 0) return index;
    if (index == 0) {
        if (out.size() > 1 && out[0] == '\n') out.erase(0, 1);
        return 0;
    }
    const int listed = CaptureUntil(")=", out);
    if (listed < 0) return listed;
    return out.find("Q,N") != std::string::npos ? 1 : 2;
}

int CPatrolEngine::WaitForMenuPrompt() {
    static const std::string kMenuLine = sj("\n番号またはコマンド");
    if (const int index = WaitFor(kMenuLine, false); index < 0) return index;
    const int index = WaitFor(")=", false);
    return index < 0 ? index : 0;
}

int CPatrolEngine::Send(std::string_view text, bool echo) {
    MORVALINE_ASSERT_THREAD(thread_);
    CommBlock& block = links_.block;
    if (const int code = block.result(); code != result::Ok) return code;
    block.lock().consumeAll();
    // A text that cannot be written means the line is gone, even when the connection has
    // not noticed yet.
    if (!links_.line.writeText(text)) block.setResultIfOk(result::LineLost);
    if (const int code = block.result(); code != result::Ok) return code;
    if (echo && !text.empty()) {
        const int index = WaitFor(text, false);
        return index < 0 ? index : result::Ok;
    }
    return result::Ok;
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
            echoed = WaitFor("\n", false) >= 0;
        }
        bytesSent += length;
        ++lines;
        if (!echoed) break;
        if (settings_.delayAfterCrMs > 0) links_.clock.sleepFor(settings_.delayAfterCrMs);
    }
    return lines;
}

}  // namespace morvaline
