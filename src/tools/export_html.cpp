// The HTML format of the export: a frame page, contents, a welcome page, a style sheet and
// one page per message, all named after the chosen file name B in the chosen folder.
//
// Everything taken from messages (subjects, handles, texts) and from the place's title is
// escaped, so that a "<" in a mail never becomes markup; links carry file names percent-
// encoded, so that they work whatever the name holds. The pages declare Shift_JIS.

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "message/date_pictures.h"
#include "message/mail_display.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "store/outgoing_mail.h"
#include "store/texts.h"
#include "tools/export_job.h"
#include "tools/text_window.h"

namespace morvaline {
namespace {

// Progress and the stop request are looked at every so many messages visited.
constexpr int kStep = 16;
// The host's header lines at the top of a message of a numbered place.
constexpr int kHostHeaderLines = 4;

const char kMeta[] = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\r\n";
const char kStyle[] =
    "A:link {text-decoration: none; color: blue; }\r\n"
    "A:visited {text-decoration: none; color: green; }\r\n"
    "A:active {text-decoration: none; background: yellow; color: red; }\r\n"
    "A:hover {text-decoration: UNDERLINE; color: red; }\r\n";

std::string escaped(std::string_view text) {
    // The four bytes lie below 0x40, so they are never the trail byte of a Shift_JIS character.
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A file name as a link: every byte but letters, digits and "-._~" percent-encoded.
std::string href(std::string_view fileName) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : fileName) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

// The place's title as the pages show it: "<" and ">" as "[" and "]", then escaped.
std::string pageTitle(std::string_view title) {
    std::string t(title);
    for (char& c : t) {
        if (c == '<') c = '[';
        else if (c == '>') c = ']';
    }
    return escaped(t);
}

// The text without its first n lines.
std::string_view afterLines(std::string_view text, int n) {
    for (; n > 0 && !text.empty(); --n) {
        const std::size_t lf = text.find('\n');
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    }
    return text;
}

struct Entry {
    int index = 0;
    int depth = 1;
    std::string file;  // the page's file name (UTF-8)
    int up = -1;       // the entry of the message this one answers, -1 none
};

struct Visit {
    int index = 0;
    int entry = -1;  // its entry when it is exported
};

class HtmlWriter {
public:
    HtmlWriter(const ExportJob& job, const HtmlSettings& html)
        : job_(job), html_(html), base_(job.choices.fileName) {
        const CItem place = job.doc.tree().item(job.place);
        numbered_ = place.m_nKind == kind::kRoom || place.m_nKind == kind::kClub || place.m_nKind == kind::kCircle;
        title_ = pageTitle(place.m_szTitle.view());
        cnt_ = base_ + "_cnt.htm";
        style_ = base_ + "_style.css";
        frm_ = base_ + "_frm.htm";
        welc_ = base_ + "_welc.htm";
    }

    ExportWritten run() {
        collect();
        for (const std::string* name : {&cnt_, &style_, &frm_, &welc_})
            if (!mayWrite(*name)) return stopped();
        if (!writeFile(style_, kStyle) || !writeFile(frm_, framePage()) || !writeFile(welc_, welcomePage()))
            return failed_;
        std::string contents = contentsHead();
        int depth = 1;
        const int total = std::max(job_.list.size() - 1, 1);
        for (std::size_t v = 0; v < visits_.size(); ++v) {
            if (v % kStep == 0) {
                job_.progress(static_cast<int>(v * 100 / static_cast<std::size_t>(total)));
                if (job_.stopRequested()) return finish(contents, depth, ExportOutcome::Stopped);
            }
            if (visits_[v].entry < 0) continue;
            const Entry& e = entries_[static_cast<std::size_t>(visits_[v].entry)];
            for (; depth < e.depth; ++depth) contents += "<dd><dl>\r\n";
            for (; depth > e.depth; --depth) contents += "</dl></dd>\r\n";
            const CItem item = job_.list.item(e.index);
            contents += "<dt>" + numberPrefix(item) + "<b><a href=\"" + href(e.file) + "\">" +
                        escaped(item.m_szTitle.view()) + "</a></b> <i>" + escaped(item.m_szName.view()) + " " +
                        escaped(dateText(item)) + "</i></dt>\r\n";
            if (!mayWrite(e.file)) return finish(contents, depth, ExportOutcome::Stopped);
            if (!writeFile(e.file, messagePage(visits_[v].entry, item)))
                return finish(contents, depth, ExportOutcome::Failed);
            written_.indices.push_back(e.index);
        }
        return finish(contents, depth, ExportOutcome::Done);
    }

private:
    // Every message in the order of the list's tree (threads with their depth, as the subject
    // list shows them), and the ones exported among them. Iterative, so that a deep thread
    // needs no deep stack; a damaged chain cannot make it loop.
    void collect() {
        std::unordered_map<int, int> entryOf;
        const CItemArray& list = job_.list;
        int c = list.item(0).m_nChild, depth = 1;
        for (int steps = 0; c > 0 && list.valid(c) && steps < list.size(); ++steps) {
            const CItem item = list.item(c);
            Visit visit{c, -1};
            if (item.m_nBody > 0 && !hasOwnTextFile(item) && (!numbered_ || item.m_nNumber > 0) &&
                exportSelects(list, c, job_.choices.which)) {
                Entry e{c, depth, pageName(numbered_ ? item.m_nNumber : c), -1};
                if (const auto up = entryOf.find(item.m_nParent); up != entryOf.end()) e.up = up->second;
                visit.entry = entryOf[c] = static_cast<int>(entries_.size());
                entries_.push_back(std::move(e));
            }
            visits_.push_back(visit);
            if (list.valid(item.m_nChild) && item.m_nChild > 0) {
                c = item.m_nChild;
                ++depth;
                continue;
            }
            int p = c;
            while (p > 0 && !list.valid(list.item(p).m_nNext)) {
                p = list.item(p).m_nParent;
                --depth;
            }
            c = p > 0 ? list.item(p).m_nNext : -1;
        }
    }

    std::string pageName(int n) const {
        char digits[16];
        std::snprintf(digits, sizeof digits, "_%05d.htm", n);
        return base_ + digits;
    }
    std::string numberPrefix(const CItem& item) const {
        return numbered_ && html_.showNumber ? "#" + std::to_string(item.m_nNumber) + " " : std::string();
    }
    std::string dateText(const CItem& item) const {
        return item.m_ftDate != 0 ? FormatDateField(item.m_ftDate, {}, html_.locale) : std::string();
    }
    std::string styleLink() const {
        return "<link REL=\"stylesheet\" HREF=\"" + href(style_) + "\" TYPE=\"text/css\">";
    }

    std::string framePage() const {
        return "<html>\r\n<head>\r\n" + std::string(kMeta) + "<title>" + title_ +
               "</title>\r\n</head>\r\n<frameset rows=\"30%,70%\">\r\n<frame src=\"" + href(cnt_) +
               "\" name=\"contents\" target=\"article\">\r\n<frame src=\"" + href(welc_) +
               "\" name=\"article\">\r\n<noframes>\r\n<body>\r\n<p><a href=\"" + href(cnt_) + "\">" + sj("目次") +
               "</a></p>\r\n</body>\r\n</noframes>\r\n</frameset>\r\n</html>\r\n";
    }
    std::string welcomePage() const {
        return "<html>\r\n<head>\r\n" + std::string(kMeta) + styleLink() + "\r\n<title>" + title_ +
               sj(" へようこそ") + "</title>\r\n</head>\r\n<body>\r\n<h3>" + sj("ようこそ") + "</h3>\r\n" +
               sj("これは、") + "<b>" + title_ + "</b>" + sj("という会議室です。") + "</body>\r\n</html>\r\n";
    }
    std::string contentsHead() const {
        return "<html>\r\n\r\n<head>\r\n<base target=\"article\">\r\n<title>" + title_ + "</title>\r\n" + kMeta +
               styleLink() + "\r\n</head>\r\n<body>\r\n<h2>" + title_ + "</h2>\r\n<hr>\r\n<dl>\r\n";
    }
    std::string link(int entry, const char* word) const {
        if (entry < 0 || entry >= static_cast<int>(entries_.size())) return sj(word);
        return "<a href=\"" + href(entries_[static_cast<std::size_t>(entry)].file) + "\">" + sj(word) + "</a>";
    }
    std::string messagePage(int n, const CItem& item) {
        const Entry& e = entries_[static_cast<std::size_t>(n)];
        std::string page = "<html>\r\n\r\n<head>\r\n<title>" + title_ + ": " + escaped(item.m_szTitle.view()) +
                           "</title>\r\n" + kMeta + styleLink() + "</head>\r\n<body>\r\n";
        page += "<p>[ <a href=\"../index.htm\" target=\"_top\">" + sj("ホーム") + "</a> | <a href=\"" + href(frm_) +
                "\" target=\"" + escaped(html_.contentTarget) + "\">" + sj("目次") + "</a> | " + link(n + 1, "次へ") +
                " | " + link(n - 1, "前へ") + " | " + link(e.up, "上へ") + " ]</p>\r\n<hr>\r\n";
        page += "<p>" + numberPrefix(item) + "<b>" + escaped(item.m_szTitle.view()) + "</b> <i>" +
                escaped(item.m_szName.view()) + " " + escaped(dateText(item)) + "</i>\r\n</p>\r\n<pre>\r\n";
        std::string display;
        if (item.m_nLength > 0) {
            if (const auto stored = texts_.text(item.m_nOffset, item.m_nLength))
                display = MailDisplayText(*stored, item.m_dwFlags, nullptr);
        }
        page += escaped(numbered_ ? afterLines(display, kHostHeaderLines) : display);
        page += "</pre>\r\n</body>\r\n</html>\r\n";
        return page;
    }

    // Asks before a file that exists is overwritten; a Yes holds for every file after it.
    bool mayWrite(const std::string& name) {
        std::error_code ec;
        if (overwriteAll_ || !std::filesystem::exists(job_.choices.folder / name, ec)) return true;
        overwriteAll_ = job_.askOverwrite(formatText(texts::kExportOverwrite, sj(name)));
        return overwriteAll_;
    }
    bool writeFile(const std::string& name, std::string_view bytes) {
        const std::filesystem::path path = job_.choices.folder / name;
        if (writeFileAtomically(path, bytes)) return true;
        failed_.result = {ExportOutcome::Failed, formatText(texts::kCannotOpenFile, sj(path.string())), 0, 0};
        return false;
    }
    ExportWritten stopped() {
        ExportWritten w;
        w.result.outcome = ExportOutcome::Stopped;
        return w;
    }
    // Closes the open levels and writes the contents of the pages written so far.
    ExportWritten finish(std::string& contents, int depth, ExportOutcome outcome) {
        for (; depth > 1; --depth) contents += "</dl></dd>\r\n";
        contents += "</dl>\r\n</body>\r\n</html>\r\n";
        const bool saved = writeFile(cnt_, contents);
        if (outcome == ExportOutcome::Failed || (!saved && outcome == ExportOutcome::Done)) {
            failed_.indices.clear();
            return failed_;
        }
        written_.result.outcome = outcome;
        if (outcome != ExportOutcome::Done) written_.indices.clear();
        written_.result.exported = static_cast<int>(written_.indices.size());
        if (outcome == ExportOutcome::Done) job_.progress(100);
        return written_;
    }

    const ExportJob& job_;
    const HtmlSettings& html_;
    TextWindow texts_{job_.list};
    std::string base_, cnt_, style_, frm_, welc_;
    std::string title_;
    bool numbered_ = false;
    bool overwriteAll_ = false;
    std::vector<Entry> entries_;
    std::vector<Visit> visits_;
    ExportWritten written_;
    ExportWritten failed_;
};

}  // namespace

ExportWritten exportHtml(const ExportJob& job, const HtmlSettings& html) {
    HtmlWriter writer(job, html);
    return writer.run();
}

}  // namespace morvaline
