#include "session/line_stack.h"

#include "platform/text_codec.h"
#include "store/document.h"

namespace morvaline {

LineSettings lineSettingsOf(CTolDoc& doc) {
    LineSettings settings;
    settings.captureLog.mode = CaptureLogSettings::Mode::SameFile;
    settings.captureLog.directory = doc.settings().logPath;
    settings.captureLog.fileName = sjisToUtf8(doc.string(docstr::kLogFileName));
    settings.captureLog.maxBytes = std::int64_t{doc.settings().logMaxSize} * 1024;
    settings.captureLog.keep = doc.settings().logKeep;
    settings.transfers = transferSettingsOf(doc.settings());
    return settings;
}

LineStack::LineStack(Reporter& reporter, LineSettings settings)
    : connection_(block_, dispatcher_, reporter), dialUp_(block_, reporter) {
    connection_.setDialUp(&dialUp_);
    connection_.setCaptureLog(std::move(settings.captureLog));
    if (settings.transfers)
        transfers_ = std::make_unique<TransferSession>(connection_, block_, dispatcher_,
                                                       std::move(*settings.transfers));
}

LineStack::~LineStack() {
    shutdown();
}

bool LineStack::recordTranscript(const std::filesystem::path& file, std::string* error) {
    if (!transcript_.open(file, error)) return false;
    connection_.setTranscript(&transcript_);
    return true;
}

}  // namespace morvaline
