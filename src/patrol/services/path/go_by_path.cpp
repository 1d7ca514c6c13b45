#include "patrol/services/path/go_by_path.h"

#include <vector>

#include "patrol/engine/menu_texts.h"
#include "patrol/services/path/screen_texts.h"
#include "store/item_array.h"

namespace morvaline {
namespace {

using Shown = ScreenTexts::Shown;

// The elements of a host path; empty when an element is empty or holds a control byte (a
// CR inside would type a command of its own).
std::vector<std::string> pathElements(std::string_view path) {
    std::vector<std::string> elements;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        const std::string_view element = path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
        if (element.empty()) return {};
        for (const char c : element)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
        elements.emplace_back(element);
        if (slash == std::string_view::npos) return elements;
        start = slash + 1;
    }
}

ScreenReached failed(result::Code code = result::PlaceFailed) {
    ScreenReached reached;
    reached.code = code;
    return reached;
}

// After a refusal: the prompt that follows is awaited so that the host is at rest (a host
// that forgets what was typed before its prompt would lose the next command). A host that
// asks for the password again gets an empty answer, a few times at most.
ScreenReached settleFailed(CPatrolEngine& engine) {
    constexpr int kMaxEmptyAnswers = 3;
    for (int answers = 0;; ++answers) {
        const Waited<int> got = engine.WaitForAny({menuTexts().promptEnd, screenTexts().password}, false);
        if (!got) return failed(got.code());
        if (got.which() == 0) return failed();
        if (answers == kMaxEmptyAnswers) {
            engine.setResult(result::OutOfStep);
            return failed(result::OutOfStep);
        }
        engine.Send("\r");
    }
}

}  // namespace

std::string placePassword(const CItem& place) {
    switch (place.m_nKind) {
        case kind::kForumArea:
        case kind::kLibraryArea:
        case kind::kRoom:
        case kind::kLibrary:
        case kind::kRoomGroup:
            return {};
        default:
            return place.m_szCode.str();
    }
}

ScreenReached AnswerScreen(CPatrolEngine& engine, std::string_view name, std::string_view password,
                           PathEnd end) {
    const ScreenTexts& host = screenTexts();
    ScreenReached reached;
    bool passwordSent = false;
    for (int pages = 1;;) {
        std::string part;
        const Waited<Shown> got = engine.WaitForScreen(host.screen, &part);
        if (!got) return failed(got.code());
        if (reached.screen.size() < kMaxScreenText)
            reached.screen += part.substr(0, kMaxScreenText - reached.screen.size());
        switch (got.which()) {
            case Shown::Fee: {
                engine.events().report(texts::kPaidServiceRefused, name);
                const Waited<int> end = engine.WaitForAny(
                    {host.endPrompts[3], menuTexts().promptLine}, false);
                if (!end) return failed(end.code());
                if (const result::Code listed = engine.WaitFor(menuTexts().promptEnd, false);
                    listed != result::Ok)
                    return failed(listed);
                if (end.which() == 0) {
                    engine.Send("N\r");
                    return settleFailed(engine);
                }
                return failed();
            }
            case Shown::Password:
                // A second prompt means the first answer was not taken.
                if (passwordSent || password.empty()) {
                    engine.Send("\r");
                    return settleFailed(engine);
                }
                engine.SendSecret(std::string(password) + "\r");
                passwordSent = true;
                continue;
            case Shown::TextEntry1:
            case Shown::TextEntry2:
            case Shown::TextEntry3:
                if (end == PathEnd::TextEntry) return reached;
                engine.Send("..\r");
                continue;
            case Shown::PressReturn:
                engine.Send("\r");
                continue;
            case Shown::WrongPassword:
            case Shown::NotAvailable:
                return settleFailed(engine);
            default:
                break;
        }
        std::string commands;
        if (const result::Code listed = engine.CaptureUntil(menuTexts().promptEnd, commands);
            listed != result::Ok)
            return failed(listed);
        reached.prompt = host.endPrompts[static_cast<int>(got.which()) - static_cast<int>(Shown::KanjiName)] +
                         commands + menuTexts().promptEnd;
        if (reached.screen.find(host.wrongCommand) != std::string::npos) return failed();
        if (commands.find(",N,") == std::string::npos || pages >= kMaxScreenPages) return reached;
        ++pages;
        engine.Send("N\r");
        if (const result::Code shown = engine.WaitFor("\r\n", false); shown != result::Ok)
            return failed(shown);
    }
}

ScreenReached GoByPath(CPatrolEngine& engine, const CItemArray& tree, int place, PathEnd end) {
    const CItem item = tree.item(place);
    std::vector<std::string> elements = pathElements(item.m_strPath.view());
    if ((item.m_nKind == kind::kForumArea || item.m_nKind == kind::kLibraryArea) && elements.size() > 1)
        elements.pop_back();
    if (elements.empty()) return failed();
    const std::string password = placePassword(item);
    ScreenReached reached;
    engine.Send("J");
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const std::string& element = elements[i];
        if (const result::Code echoed = engine.SendEchoed(element); echoed != result::Ok)
            return failed(echoed);
        engine.Send("\r");
        if (const result::Code shown = engine.WaitFor("\r\n", false); shown != result::Ok)
            return failed(shown);
        reached = AnswerScreen(engine, item.m_szTitle.view(), password,
                               i + 1 == elements.size() ? end : PathEnd::Prompt);
        if (!reached) return reached;
    }
    return reached;
}

}  // namespace morvaline
