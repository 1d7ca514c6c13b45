#include "comm/rapidox/transfer_result.h"

#include "store/texts.h"

namespace morvaline::rapidox {

std::string resultText(TransferResult result) {
    switch (result) {
        case TransferResult::Ok:
            return {};
        case TransferResult::Cancelled:
        case TransferResult::TimedOut:
            return textSjis(texts::kTransferAborting);
        case TransferResult::RetriesExhausted:
            return textSjis(texts::kTransferRetriesExceeded);
        case TransferResult::FileError:
            return textSjis(texts::kTransferFileError);
        case TransferResult::ProtocolError:
            return textSjis(texts::kTransferProtocolError);
    }
    return {};
}

const char* toString(TransferResult result) {
    switch (result) {
        case TransferResult::Ok:
            return "ok";
        case TransferResult::Cancelled:
            return "cancelled";
        case TransferResult::TimedOut:
            return "timed out";
        case TransferResult::RetriesExhausted:
            return "retries exhausted";
        case TransferResult::FileError:
            return "file error";
        case TransferResult::ProtocolError:
            return "protocol error";
    }
    return "?";
}

}  // namespace morvaline::rapidox
