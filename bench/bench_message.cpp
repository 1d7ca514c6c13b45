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
// Inputs are mapped, not copied; outputs are written plainly (no flush to disk), as the
// peers read and write theirs. conv takes the text a piece of lines at a time (about 64 KB
// ending at a line end), as the mails of a mailbox come: for Shift_JIS that is the same as
// converting it whole, and ISO-2022-JP text returns to ASCII before its line ends (where a
// line ends in two-byte mode, that mode does not carry over into the next piece).

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>

#include "bench_commands.h"
#include "message/attachment.h"
#include "message/attachment_name.h"
#include "message/iso2022jp.h"
#include "message/mail_display.h"
#include "message/uu_block.h"
#include "message/uu_encode.h"
#include "platform/text_codec.h"

namespace morvaline::bench {
namespace {

// A file's bytes, mapped read-only.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0) {
            size_ = static_cast<std::size_t>(st.st_size);
            ok_ = true;
            if (size_ > 0) {
                data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
                if (data_ == MAP_FAILED) {
                    data_ = nullptr;
                    ok_ = false;
                }
            }
        }
        if (fd >= 0) ::close(fd);
        if (!ok_) std::fprintf(stderr, "cannot read %s\n", path.c_str());
    }
    ~MappedFile() {
        if (data_) ::munmap(data_, size_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool ok() const { return ok_; }
    std::string_view bytes() const { return {static_cast<const char*>(data_), data_ ? size_ : 0}; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    bool ok_ = false;
};

class Output {
public:
    explicit Output(const std::filesystem::path& path)
        : path_(path), file_(std::fopen(path.c_str(), "wb")) {
        if (!file_) fail();
    }
    ~Output() {
        if (file_) std::fclose(file_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view bytes) {
        if (file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) fail();
    }
    // Closes the file; false when anything failed (said on standard error).
    bool close() {
        if (file_ && std::fclose(file_) != 0) fail();
        file_ = nullptr;
        return ok_;
    }

private:
    void fail() {
        if (ok_) std::fprintf(stderr, "cannot write %s: %s\n", path_.c_str(), std::strerror(errno));
        ok_ = false;
    }

    std::filesystem::path path_;
    std::FILE* file_;
    bool ok_ = true;
};

bool writeOutput(const std::filesystem::path& path, std::string_view bytes) {
    Output out(path);
    out.write(bytes);
    return out.close();
}

// The pieces of text that conv converts one at a time: about kPiece bytes, each ending just
// after a line feed (the last one wherever the text ends).
constexpr std::size_t kPiece = 65536;

template <class Convert>
void forEachPiece(std::string_view text, Convert convert) {
    while (!text.empty()) {
        std::size_t cut = text.size();
        if (cut > kPiece) {
            const std::size_t lineEnd = text.find('\n', kPiece);
            cut = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        }
        convert(text.substr(0, cut));
        text.remove_prefix(cut);
    }
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
    const MappedFile in(args[1]);
    if (!in.ok()) return 1;
    Output out(args[2]);
    const bool toJis = args[0] == "sjis2jis";
    std::string converted;
    forEachPiece(in.bytes(), [&](std::string_view piece) {
        if (toJis) {
            converted = SjisToJis(piece);
        } else {
            converted.clear();
            JisToSjis(piece, converted, false);
        }
        out.write(converted);
    });
    return out.close() ? 0 : 1;
}

int benchMime(const Args& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: morvaline-bench mime LISTFILE OUTDIR\n");
        return 2;
    }
    const MappedFile list(args[0]);
    if (!list.ok()) return 1;
    const std::filesystem::path outDir = args[1];
    std::istringstream lines{std::string(list.bytes())};
    std::string line;
    unsigned long long decodedBytes = 0;
    int n = 0;
    while (std::getline(lines, line)) {
        const auto entry = parseEntry(line);
        if (!entry) continue;
        const MappedFile mail(entry->path);
        if (!mail.ok()) return 1;
        const std::string_view text = mail.bytes();
        AttachmentList attachments;
        const std::string body = entry->flags ? MailDisplayText(text, *entry->flags, &attachments)
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
    const MappedFile in(args[1]);
    if (!in.ok()) return 1;
    if (args[0] == "encode") {
        const std::string name = utf8ToSjis(std::filesystem::path(args[1]).filename().string());
        return writeOutput(args[2], EncodeUuBlock(name, in.bytes())) ? 0 : 1;
    }
    const std::string_view text = in.bytes();
    std::size_t pos = 0;
    const auto block = ExtractUuBlock(text, pos);
    if (!block) {
        std::fprintf(stderr, "no uuencoded block in %s\n", args[1].c_str());
        return 1;
    }
    // The file is written a piece at a time as it is decoded, as uudecode writes it.
    Output out(args[2]);
    const bool decoded = DecodeUuBlock(block->data, [&out](std::string_view bytes) {
        out.write(bytes);
        return true;
    });
    if (!out.close()) return 1;
    if (!decoded) {
        std::fprintf(stderr, "the block in %s does not decode\n", args[1].c_str());
        return 1;
    }
    return 0;
}

}  // namespace morvaline::bench
