// morvaline-bench conv sjis2jis|jis2sjis IN OUT
// morvaline-bench mime LISTFILE OUTDIR
// morvaline-bench uu encode|decode IN OUT
//
// The message converters over files, so that they run beside the system tools that do the
// same work (iconv and nkf, a MIME library, sharutils) and their outputs can be compared.
//
// mime: each line of LISTFILE names a file, optionally followed by item flags in hex. With
// flags the file is a stored mail text, shown as the message view shows an item with those
// flags; without, it is a raw internet message (RFC 822). For the n-th line (from 1) the
// display text goes to OUTDIR/n/body.txt as the Shift_JIS bytes the view gets, and the k-th
// attachment (from 1) to OUTDIR/n/att-k-NAME as the bytes a save writes (NAME its local file
// name); an attachment that does not decode writes no file. Prints the total decoded
// attachment bytes.
//
// uu decode: IN is a text holding a uuencoded block (a "begin" line through "end"), as a
// stored mail holds it; OUT gets the decoded file. uu encode: OUT gets the block that binary
// mail to the host carries, named after IN.
//
// Outputs are written plainly (no flush to disk), as the peers write theirs.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "bench_commands.h"
#include "message/attachment.h"
#include "message/attachment_name.h"
#include "message/iso2022jp.h"
#include "message/mail_display.h"
#include "message/uu_block.h"
#include "message/uu_encode.h"
#include "platform/atomic_file.h"

namespace morvaline::bench {
namespace {

bool readInput(const std::string& path, std::string& bytes) {
    if (readWholeFile(path, bytes)) return true;
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
}

bool writeOutput(const std::filesystem::path& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return ok;
}

// One line of the mime list: a file and, for a stored mail, its item flags.
struct MailEntry {
    std::string path;
    std::optional<std::uint32_t> flags;
};

std::optional<MailEntry> parseEntry(const std::string& line) {
    std::istringstream in(line);
    MailEntry entry;
    if (!(in >> entry.path)) return std::nullopt;
    std::string flags;
    if (in >> flags) entry.flags = static_cast<std::uint32_t>(std::stoul(flags, nullptr, 16));
    return entry;
}

}  // namespace

int benchConv(const Args& args) {
    if (args.size() != 3 || (args[0] != "sjis2jis" && args[0] != "jis2sjis")) {
        std::fprintf(stderr, "usage: morvaline-bench conv sjis2jis|jis2sjis IN OUT\n");
        return 2;
    }
    std::string in;
    if (!readInput(args[1], in)) return 1;
    const std::string out = args[0] == "sjis2jis" ? SjisToJis(in) : JisToSjis(in);
    return writeOutput(args[2], out) ? 0 : 1;
}

int benchMime(const Args& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: morvaline-bench mime LISTFILE OUTDIR\n");
        return 2;
    }
    std::string list;
    if (!readInput(args[0], list)) return 1;
    const std::filesystem::path outDir = args[1];
    std::istringstream lines(list);
    std::string line;
    unsigned long long decodedBytes = 0;
    int n = 0;
    while (std::getline(lines, line)) {
        const auto entry = parseEntry(line);
        if (!entry) continue;
        std::string text;
        if (!readInput(entry->path, text)) return 1;
        AttachmentList attachments;
        const std::string body = entry->flags
                                     ? MailDisplayText(text, *entry->flags, &attachments)
                                     : InternetMailDisplayText(text, &attachments);
        const std::filesystem::path dir = outDir / std::to_string(++n);
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        if (!writeOutput(dir / "body.txt", body)) return 1;
        int k = 0;
        for (const Attachment& attachment : attachments) {
            ++k;
            const auto bytes = DecodeAttachment(attachment);
            if (!bytes) continue;
            const std::string name =
                "att-" + std::to_string(k) + "-" + LocalAttachmentFileName(attachment.name);
            if (!writeOutput(dir / name, *bytes)) return 1;
            decodedBytes += bytes->size();
        }
    }
    std::printf("%llu\n", decodedBytes);
    return 0;
}

int benchUu(const Args& args) {
    if (args.size() != 3 || (args[0] != "encode" && args[0] != "decode")) {
        std::fprintf(stderr, "usage: morvaline-bench uu encode|decode IN OUT\n");
        return 2;
    }
    if (args[0] == "encode") {
        const auto block = EncodeUuFile(args[1]);
        if (!block) {
            std::fprintf(stderr, "cannot read %s\n", args[1].c_str());
            return 1;
        }
        return writeOutput(args[2], *block) ? 0 : 1;
    }
    std::string text;
    if (!readInput(args[1], text)) return 1;
    std::size_t pos = 0;
    const auto block = ExtractUuBlock(text, pos);
    if (!block) {
        std::fprintf(stderr, "no uuencoded block in %s\n", args[1].c_str());
        return 1;
    }
    const auto bytes = DecodeUuBlock(block->data);
    if (!bytes) {
        std::fprintf(stderr, "the block in %s does not decode\n", args[1].c_str());
        return 1;
    }
    return writeOutput(args[2], *bytes) ? 0 : 1;
}

}  // namespace morvaline::bench
