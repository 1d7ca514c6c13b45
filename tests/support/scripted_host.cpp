#include "support/scripted_host.h"

#include "link/result_codes.h"
#include "platform/atomic_file.h"
#include "platform/text_codec.h"

namespace morvaline::test {

ScriptedHost::ScriptedHost(std::string_view transcript) {
    std::string error;
    auto entries = parseTranscript(transcript, &error);
    if (!entries) {
        fault("bad transcript: " + error);
        return;
    }
    entries_ = std::move(*entries);
}

void ScriptedHost::fault(std::string what) {
    faults_.push_back(std::move(what));
}

bool ScriptedHost::writeText(std::string_view text, Secrecy secrecy) {
    if (!undelivered_.empty() ||
        (next_ < entries_.size() && entries_[next_].kind == TranscriptKind::Shown)) {
        fault("sent \"" + escapeTranscriptText(text) + "\" while the host still had text to show");
        return true;
    }
    if (next_ == entries_.size() || entries_[next_].kind != TranscriptKind::Sent) {
        fault("sent \"" + escapeTranscriptText(text) + "\" after the end of the script");
        return true;
    }
    const std::string& expected = entries_[next_].bytes;
    const std::size_t end = text.find_last_not_of("\r\n") + 1;
    const bool recordedSecret =
        secrecy == Secrecy::Secret && expected == "****" + std::string(text.substr(end));
    if (text != expected && !recordedSecret)
        fault("sent \"" + escapeTranscriptText(text) + "\", expected \"" +
              escapeTranscriptText(expected) + "\"");
    ++next_;
    return true;
}

bool ScriptedHost::startTransfer(const TransferRequest& request) {
    transferRequests.push_back(request);
    if (request.direction == TransferDirection::Upload) {
        std::string bytes;
        readWholeFile(request.uploadPath, bytes);
        uploadedBytes.push_back(std::move(bytes));
    }
    timeoutsDuringTransfer.push_back(block.waitTimeout());
    if (!transferOutcome) return false;
    block.setTransferOutcome(*transferOutcome);
    block.dataArrived.set();
    return true;
}

bool ScriptedHost::openTextToSend(const ReservedText&) {
    nextTextLine_ = 0;
    return textOpens;
}

int ScriptedHost::sendNextTextLine() {
    if (nextTextLine_ == textLines.size()) return 0;
    const std::string& line = textLines[nextTextLine_++];
    writeText(line, Secrecy::Plain);
    return static_cast<int>(line.size());
}

bool ScriptedHost::waitFor(Event& event, int timeoutMs) {
    if (&event != &block.dataArrived) {
        fault("waited for an event other than DataArrived");
        return event.isSet();
    }
    waits_.push_back(timeoutMs);
    if (undelivered_.empty() && next_ < entries_.size()) {
        const TranscriptEntry& entry = entries_[next_];
        if (entry.kind == TranscriptKind::Shown) {
            undelivered_ = entry.bytes;
            ++next_;
        } else if (entry.kind == TranscriptKind::Dropped) {
            ++next_;
            block.setLineUp(false);
            block.setResultIfOk(result::LineLost);
            block.dataArrived.set();
            return true;
        }
    }
    if (!undelivered_.empty()) {
        const std::size_t taken = block.append(undelivered_);
        undelivered_.erase(0, taken);
        return true;
    }
    if (timeoutMs < 0) {
        // Nothing will come, and the engine would wait for ever: end the run instead.
        fault("the engine waits without limit for text that never comes");
        block.setResult(result::Cancelled);
        return true;
    }
    nowMs_ += timeoutMs;
    return false;
}

void ScriptedHost::report(const Text& text, std::string_view arg1) {
    reports_.push_back(sjisToUtf8(formatText(text, arg1)));
}

}  // namespace morvaline::test
