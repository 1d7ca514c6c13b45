// morvaline-cli template: the templates that texts written offline start from, and the
// template each use starts from.

#include <iostream>

#include "app/cli_commands.h"
#include "app/cli_support.h"
#include "message/outgoing_items.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/editor_text.h"
#include "store/outgoing_mail.h"

namespace morvaline::cli {
namespace {

// The uses in the order of the document's slots.
constexpr const char* kUses[CTolDoc::kTemplateSlots] = {"電子ﾒｰﾙの送信",
                                                        "電子ﾒｰﾙの返信",
                                                        "電子ﾒｰﾙの転送",
                                                        "SIGﾌｫｰﾗﾑの発言",
                                                        "SIGﾌｫｰﾗﾑのｺﾒﾝﾄ",
                                                        "OSL補足説明用",
                                                        "発言者へ電子ﾒｰﾙの送信",
                                                        "掲示板の発言",
                                                        "掲示板のｺﾒﾝﾄ",
                                                        "ｸﾗﾌﾞの発言",
                                                        "ｸﾗﾌﾞのｺﾒﾝﾄ",
                                                        "ｻｰｸﾙの発言",
                                                        "ｻｰｸﾙのｺﾒﾝﾄ"};

// A template shows by its name, else by its title.
std::string label(const CItem& t) {
    return utf8(t.m_szName.empty() ? t.m_szTitle.view() : t.m_szName.view());
}

// The index of a template in the template place's list, named by its name, its title or
// "#N" for its number; -1 when there is none.
int findTemplate(const CItemArray& list, const std::string& which) {
    const bool byNumber = which.size() > 1 && which[0] == '#';
    const std::string sjis = utf8ToSjis(which);
    for (int i = 1; i < list.size(); ++i) {
        const CItem t = list.item(i);
        if (t.m_nKind != kind::kTemplate) continue;
        if (byNumber ? std::to_string(t.m_nNumber) == which.substr(1)
                     : t.m_szName == sjis || (t.m_szName.empty() && t.m_szTitle == sjis))
            return i;
    }
    return -1;
}

int templatePlace(const CTolDoc& doc) {
    const int place = findTemplatePlace(doc.tree());
    if (place < 0) throw CommandError{"the data set has no template place"};
    return place;
}

void list(CTolDoc& doc) {
    const PlaceList templates(doc, std::to_string(templatePlace(doc)));
    for (int i = 1; i < templates->size(); ++i) {
        const CItem t = templates->item(i);
        if (t.m_nKind != kind::kTemplate) continue;
        std::cout << '#' << t.m_nNumber << "  " << label(t);
        if (!t.m_szName.empty() && !t.m_szTitle.empty())
            std::cout << "  title: " << utf8(t.m_szTitle.view());
        if (t.hasFlag(ITEM_FLAG_COUNTED_REPLY)) std::cout << "  RE^n";
        std::string uses;
        for (int slot = 0; slot < CTolDoc::kTemplateSlots; ++slot)
            if (doc.templateSlots()[static_cast<std::size_t>(slot)].first == t.m_nNumber)
                uses += (uses.empty() ? "" : ", ") + std::string(kUses[slot]);
        if (!uses.empty()) std::cout << "  for: " << uses;
        std::cout << '\n';
    }
}

void show(CTolDoc& doc, const std::string& which) {
    const PlaceList templates(doc, std::to_string(templatePlace(doc)));
    const int index = findTemplate(*templates, which);
    if (index < 0) throw CommandError{"no template '" + which + "'"};
    const EditorSettings settings = doc.editorSettings();
    CComDoc text(settings);
    std::string error;
    if (!text.load(doc.dataDirectory() / ownTextFileName(templates->item(index)), &error))
        throw CommandError{error};
    std::cout << utf8(FieldsAsText(text.text())) << '\n';
}

void set(CTolDoc& doc, const std::string& which, Args& args, std::string_view usage) {
    const std::string title = takeOption(args, "--title");
    const bool clearTitle = takeFlag(args, "--no-title");
    const std::string bodyFile = takeOption(args, "--body-file");
    const std::string counting = takeOption(args, "--counting");
    expectNoMoreArguments(args, usage);
    if (!counting.empty() && counting != "on" && counting != "off")
        throw CommandError{"--counting takes on or off"};
    std::string text;
    if (!bodyFile.empty()) {
        if (!readWholeFile(bodyFile, text)) throw CommandError{"cannot read " + bodyFile};
        text = FieldsFromText(utf8ToSjis(text));
    }
    const int place = templatePlace(doc);
    OpenedList list(doc, place);
    if (!list) throw CommandError{"the template list cannot be opened"};
    int index = findTemplate(*list, which);
    if (index < 0) {
        if (which.starts_with('#')) throw CommandError{"no template '" + which + "'"};
        const Written made = NewTemplate(doc, utf8ToSjis(which), text);
        if (made.index < 0) throw CommandError{made.error};
        index = made.index;
    } else if (!bodyFile.empty()) {
        const EditorSettings settings = doc.editorSettings();
        CComDoc saved(settings);
        saved.setText(text);
        std::string error;
        if (!saved.save(doc.dataDirectory() / ownTextFileName(list->item(index)), &error))
            throw CommandError{error};
    }
    if (!title.empty() || clearTitle) list->setTitle(index, utf8ToSjis(title));
    if (!counting.empty())
        list->setFlags(index, ITEM_FLAG_COUNTED_REPLY,
                       counting == "on" ? ITEM_FLAG_COUNTED_REPLY : 0);
    if (!list->save()) throw CommandError{"cannot write " + list->listFile().string()};
    std::cout << "template #" << list->item(index).m_nNumber << "  " << label(list->item(index))
              << '\n';
}

void use(CTolDoc& doc, const std::string& useName, const std::string& which) {
    const std::string sjis = utf8ToSjis(useName);
    int slot = -1;
    for (int i = 0; i < CTolDoc::kTemplateSlots; ++i)
        if (sjis == utf8ToSjis(kUses[i]) || useName == std::to_string(i)) slot = i;
    if (slot < 0) throw CommandError{"no use '" + useName + "'"};
    const int number = which == "none" ? -1 : findTemplateNumber(doc, which);
    doc.setTemplateSlot(slot, number, doc.templateSlots()[static_cast<std::size_t>(slot)].second);
    std::cout << kUses[slot] << ": " << (number > 0 ? "#" + std::to_string(number) : "none")
              << '\n';
}

}  // namespace

int findTemplateNumber(CTolDoc& doc, const std::string& which) {
    const PlaceList templates(doc, std::to_string(templatePlace(doc)));
    const int index = findTemplate(*templates, which);
    if (index < 0) throw CommandError{"no template '" + which + "'"};
    return templates->item(index).m_nNumber;
}

int commandTemplate(Session& session, Args args) {
    constexpr std::string_view usage =
        "template ID list | show NAME|#N\n"
        "       | set NAME|#N [--title T | --no-title] [--body-file F] [--counting on|off]\n"
        "       | use USE NAME|#N|none";
    const std::string userId = takeArgument(args, usage);
    const std::string what = takeArgument(args, usage);
    const OpenedUser doc = session.openUser(userId);
    if (what == "list") {
        expectNoMoreArguments(args, usage);
        list(*doc);
        return 0;
    }
    const std::string which = takeArgument(args, usage);
    if (what == "show") {
        expectNoMoreArguments(args, usage);
        show(*doc, which);
        return 0;
    }
    if (what == "set") {
        set(*doc, which, args, usage);
    } else if (what == "use") {
        const std::string chosen = takeArgument(args, usage);
        expectNoMoreArguments(args, usage);
        use(*doc, which, chosen);
    } else {
        throw CommandError{"usage: morvaline-cli " + std::string(usage)};
    }
    saveUser(*doc);
    return 0;
}

}  // namespace morvaline::cli
