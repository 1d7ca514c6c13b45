#pragma once
// How a Rapidox transfer ended, with the text the user is shown for it.

#include <string>

namespace morvaline::rapidox {

enum class TransferResult {
    Ok = 0,                // every file of the batch arrived or was delivered
    Cancelled = 2,         // the other side sent CAN
    TimedOut = 4,          // a wait ran out, or the line was lost, hung up or aborted
    RetriesExhausted = 5,  // an exchange failed ten times
    FileError = 6,         // a local file could not be opened, read, written or closed
    ProtocolError = 7,     // the other side sent something malformed or out of place
};

// Shift_JIS text for a failure ("中断処理中" ...); empty for Ok.
std::string resultText(TransferResult result);
// Short ASCII name for the event log and test output.
const char* toString(TransferResult result);

}  // namespace morvaline::rapidox
