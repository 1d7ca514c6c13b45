#include "tools/text_window.h"

#include <algorithm>

#include "store/item_array.h"

namespace morvaline {

std::optional<std::string_view> TextWindow::text(std::int64_t offset, std::int64_t length) {
    if (offset < 0 || length < 0) return std::nullopt;
    const std::int64_t end = start_ + static_cast<std::int64_t>(piece_.size());
    const bool inside = loaded_ && offset >= start_ && (offset + length <= end || (atEnd_ && offset <= end));
    if (!inside) {
        const std::int64_t want = std::max(length, kPiece);
        std::optional<std::string> piece = list_.readText(offset, want);
        if (!piece) return std::nullopt;
        piece_ = std::move(*piece);
        start_ = offset;
        atEnd_ = static_cast<std::int64_t>(piece_.size()) < want;
        loaded_ = true;
    }
    const auto from = static_cast<std::size_t>(offset - start_);
    return std::string_view(piece_).substr(from, static_cast<std::size_t>(length));
}

}  // namespace morvaline
