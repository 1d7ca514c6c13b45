#include "patrol/services/forum/message_reader.h"

#include "link/result_codes.h"
#include "message/subjects.h"
#include "message/uu_block.h"
#include "patrol/services/forum/forum_lines.h"
#include "patrol/services/forum/forum_texts.h"
#include "platform/sjis.h"

namespace morvaline {

struct MessageReader::Open {
    ForumMessage message;
    UuPartScan uu;
    void add(std::string line) {
        uu.addLine(line);
        message.lines.push_back(std::move(line));
    }
};

MessageReader::MessageReader(CPatrolEngine& engine, RoomMessages& room, int generation)
    : engine_(engine), room_(room), generation_(generation) {}

Waited<LineRead> MessageReader::next(std::string& line) {
    if (putBack_) {
        line = std::move(*putBack_);
        putBack_.reset();
        return Waited<LineRead>::prompt(LineRead::Line);
    }
    const auto& prompts = forumTexts().readPrompts;
    return engine_.ReadLine(line, {prompts[0], prompts[1], prompts[2], prompts[3], prompts[4]});
}

void MessageReader::close(Open& open, ReadOutcome& outcome) {
    ForumMessage& m = open.message;
    // The host ends every message with an empty line.
    while (m.lines.size() > 3 && m.lines.back().empty()) m.lines.pop_back();
    if (open.uu.closed()) m.flags |= ITEM_FLAG_UUENCODED;
    const RoomMessages::Result result = room_.store(m, generation_);
    if (result.how == RoomMessages::Stored::Failed) {
        engine_.events().report(texts::kListWriteFailed, room_.list().textFile().filename().string());
        return;
    }
    ++outcome.complete;
    outcome.lastNumber = std::max(outcome.lastNumber, m.number);
    if (result.how == RoomMessages::Stored::AlreadyThere) return;
    if (result.how != RoomMessages::Stored::Posted) ++outcome.stored;
    outcome.linked = outcome.linked || result.linked;
    const ItemChange change =
        result.how == RoomMessages::Stored::Added ? ItemChange::Added : ItemChange::Changed;
    engine_.events().itemNotice(ItemNotice::of(change, room_.list(), result.index));
}

ReadOutcome MessageReader::read() {
    const ForumTexts& host = forumTexts();
    ReadOutcome outcome;
    std::optional<Open> open;
    const auto finish = [&](ReadOutcome::End end) {
        if (open && end != ReadOutcome::End::RunOver) close(*open, outcome);
        outcome.end = end;
        return outcome;
    };
    for (;;) {
        std::string line;
        const Waited<LineRead> got = next(line);
        if (!got) return finish(ReadOutcome::End::RunOver);
        if (got.is(LineRead::Prompt)) return finish(ReadOutcome::End::Prompt);
        if (line == host.wrongCommand || line == host.noData) {
            finish(ReadOutcome::End::NoData);
            if (engine_.WaitForMenuPrompt() != result::Ok) outcome.end = ReadOutcome::End::RunOver;
            return outcome;
        }
        const std::optional<TagLine> tag = parseTagLine(line);
        if (!tag) {
            if (open) open->add(std::move(line));
            continue;
        }
        // A full "#n/m" line always ends the message before it; a short one only when a
        // header follows.
        if (tag->fullForm && open) {
            close(*open, outcome);
            open.reset();
        }
        std::string headerLine;
        const Waited<LineRead> afterTag = next(headerLine);
        if (!afterTag) return finish(ReadOutcome::End::RunOver);
        const std::optional<MessageHeader> header =
            afterTag.is(LineRead::Line) ? parseMessageHeader(headerLine) : std::nullopt;
        if (!header) {
            if (!open) {
                engine_.setResult(result::OutOfStep);
                return finish(ReadOutcome::End::RunOver);
            }
            // Text of the open message that looks like a tag; the line after it is looked
            // at again, since it may begin a message itself.
            if (warnings_++ < kMaxTagWarnings) engine_.events().report(texts::kTagLikeBodyLine, line);
            open->add(std::move(line));
            if (afterTag.is(LineRead::Prompt)) return finish(ReadOutcome::End::Prompt);
            putBack_ = std::move(headerLine);
            continue;
        }
        if (open) close(*open, outcome);
        open.emplace();
        if (tag->fullForm) outcome.highest = std::max(outcome.highest, tag->highest);
        ForumMessage& m = open->message;
        m.number = tag->number;
        m.senderId = header->senderId;
        m.date = header->date;
        m.comments = header->comments;
        open->add(std::move(line));
        open->add(std::move(headerLine));
        std::string titleLine;
        const Waited<LineRead> afterHeader = next(titleLine);
        if (!afterHeader) return finish(ReadOutcome::End::RunOver);
        if (afterHeader.is(LineRead::Prompt)) return finish(ReadOutcome::End::Prompt);
        TitleLine split = splitTitleLine(titleLine);
        m.titleLine = split.title;
        m.target = ReplyNumberFromSubject(split.title);
        m.title = sjisBoundedCopy(split.title, kTitleSize - 1);
        m.handle = sjisBoundedCopy(split.handle, kNameSize - 1);
        open->add(std::move(titleLine));
    }
}

}  // namespace morvaline
