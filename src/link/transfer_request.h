#pragma once
// A file transfer as the engine sees it: what it asks the line to move, and how the
// transfer ended. The transfer itself runs on the connection's side (its own thread); the
// engine only asks for it and reads the outcome from the CommBlock.

#include <string>
#include <utility>
#include <vector>

namespace morvaline {

// Which way a file transfer goes; the numbers are the connection's transfer direction.
enum class TransferDirection : int { None = 0, Upload = 1, Download = 2 };

struct TransferRequest {
    TransferDirection direction = TransferDirection::None;
    // Upload only: the local file (a UTF-8 path), and the name the host is told (Shift_JIS;
    // empty: the file name of the path). A download always goes into the user's download
    // folder under the name the host sends.
    std::string uploadPath;
    std::string sendName;

    static TransferRequest download() { return {TransferDirection::Download, {}, {}}; }
    static TransferRequest upload(std::string path, std::string sendName = {}) {
        return {TransferDirection::Upload, std::move(path), std::move(sendName)};
    }
};

// How a transfer ended. The result codes are those of the transfer protocol.
struct FileTransferOutcome {
    static constexpr int kOk = 0;
    static constexpr int kCancelled = 2;         // the host sent CAN
    static constexpr int kTimedOut = 4;          // a wait ran out, the line was lost, or aborted
    static constexpr int kRetriesExhausted = 5;  // an exchange failed ten times
    static constexpr int kFileError = 6;         // a local file could not be used
    static constexpr int kProtocolError = 7;     // the host sent something malformed

    int result = kTimedOut;
    std::string text;  // Shift_JIS text of a failure ("ﾌﾟﾛﾄｺﾙ ｴﾗｰ" ...); empty on success
    std::string failureMessage;  // Shift_JIS line naming the file of a file error; may be empty
    // Download: the local file written last (a UTF-8 path), also when it was left partly
    // written for the next download to resume; empty when no file was opened.
    std::string receivedPath;
    // Download: the files that came whole, in order (a batch brings several).
    std::vector<std::string> completePaths;

    bool succeeded() const { return result == kOk; }
};

}  // namespace morvaline
