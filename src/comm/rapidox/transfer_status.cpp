#include "comm/rapidox/transfer_status.h"

#include "store/texts.h"

namespace morvaline::rapidox {

std::string progressText(const TransferStatus& status) {
    const std::string count = std::to_string(status.startOffset + status.bytesDone) + "/" +
                              std::to_string(status.fileSize);
    return formatText(texts::kBytesTransferred, count);
}

std::string fileSizeText(const TransferStatus& status) {
    return formatText(texts::kTransferFileSize, std::to_string(status.fileSize));
}

}  // namespace morvaline::rapidox
