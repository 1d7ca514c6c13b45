#pragma once
// Dialogue transcripts: what the host showed, what the client sent, and where the line
// dropped, one entry per line of a UTF-8 text file:
//
//     # a comment
//     [   0.412] S: USER_ID:
//     [   3.020] C: MVL00001\r
//     S: ...\r\n
//     X
//
// "S:" is text the host showed (after the receive filter), "C:" text the client wrote,
// "X" the line dropping. The time stamp in seconds is optional. The text after "S: " or
// "C: " is Shift_JIS shown as UTF-8, with the escapes \r \n \t \\ and \xHH (for control
// bytes, for bytes that are not a character, and for a trailing blank). A host text entry
// ends after an LF, so a screen reads line by line.
//
// The terminal records live sessions in this form, and the dialogue tests replay them, so
// that a real session recorded once can become a test.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvaline {

enum class TranscriptKind { Shown, Sent, Dropped };

struct TranscriptEntry {
    TranscriptKind kind = TranscriptKind::Shown;
    std::string bytes;    // Shift_JIS
    double seconds = -1;  // time stamp; negative when the entry has none

    bool operator==(const TranscriptEntry&) const = default;
};

// The entries of a transcript; empty with *error set ("line N: ...") when a line is not
// an entry.
std::optional<std::vector<TranscriptEntry>> parseTranscript(std::string_view text,
                                                            std::string* error);

// The file lines of one entry; host text is split after each LF into several entries.
std::string formatTranscriptEntry(const TranscriptEntry& entry);

// Shift_JIS bytes as transcript text (UTF-8 with escapes), and back.
std::string escapeTranscriptText(std::string_view sjis);
std::optional<std::string> unescapeTranscriptText(std::string_view text);

// Writes a transcript file as a session goes on, each entry flushed at once so that the
// file is complete up to the moment a session breaks off. The file is created with mode
// 0600: it holds everything that was typed (passwords are masked by the connection).
class TranscriptWriter {
public:
    TranscriptWriter() = default;
    ~TranscriptWriter();
    TranscriptWriter(const TranscriptWriter&) = delete;
    TranscriptWriter& operator=(const TranscriptWriter&) = delete;

    // Creates or truncates the file; false with *error set on failure.
    bool open(const std::filesystem::path& path, std::string* error);
    bool isOpen() const { return file_ != nullptr; }
    // Appends an entry stamped with the given seconds since the session began. Stops
    // writing (and returns false) after a write error.
    bool write(TranscriptKind kind, std::string_view sjis, double seconds);
    void close();

private:
    std::FILE* file_ = nullptr;
};

}  // namespace morvaline
