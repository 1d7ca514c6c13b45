#pragma once
// Progress of a transfer as the transfer thread reports it to the main thread
// (TransferStatus 1, 2, 5 and 6), and the status lines shown for it.

#include <cstdint>
#include <string>

#include "comm/rapidox/transfer_result.h"

namespace morvaline::rapidox {

struct TransferStatus {
    enum class Code {
        Started = 1,    // the transfer began
        Progress = 2,   // more of the current file was moved
        Ended = 5,      // the transfer is over; result holds how it ended
        SizeKnown = 6,  // a file header was sent or received; the counters restart
    };
    Code code = Code::Started;
    std::uint64_t fileSize = 0;     // size of the current file as announced
    std::uint64_t startOffset = 0;  // bytes the receiver already had (resume)
    std::uint64_t bytesDone = 0;    // bytes moved in this run, at most fileSize - startOffset
    TransferResult result = TransferResult::Ok;
};

// "%1 ﾊﾞｲﾄが転送されました" with "done/size" (Shift_JIS).
std::string progressText(const TransferStatus& status);
// "ﾌｧｲﾙの大きさ: %1 ﾊﾞｲﾄ" (Shift_JIS).
std::string fileSizeText(const TransferStatus& status);

}  // namespace morvaline::rapidox
