#include "store/item_transfer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/atomic_file.h"
#include "store/document.h"
#include "store/item_array.h"
#include "store/outgoing_mail.h"

namespace morvaline {
namespace {

// Every field of the record but its links and serial.
constexpr std::uint32_t kTransferMask =
    (0x0FFFFFE0u & ~copy::kSerial) | copy::kDeleteRule;

bool storesPlaceText(const CItem& item) {
    return item.m_nLength > 0 && item.m_nKind != kind::kShortcut && !keepsOwnText(item);
}

// Copies the numbered text file of an item under a new number; the number, or 0.
int copyOwnText(CTolDoc& doc, const CItem& item) {
    const std::string name = ownTextFileName(item);
    if (name.empty()) return item.m_nNumber;
    std::string bytes;
    if (!readWholeFile(doc.dataDirectory() / name, bytes)) return 0;
    const bool isTemplate = item.m_nKind == kind::kTemplate;
    const int number = doc.nextFileNumber(isTemplate ? FileCounter::T : FileCounter::C);
    if (number == 0) return 0;
    char copyName[32];
    std::snprintf(copyName, sizeof copyName, isTemplate ? "~T%06d.MSG" : "~C%06d.MSG", number);
    return writeFileAtomically(doc.dataDirectory() / copyName, bytes) ? number : 0;
}

// Takes back the items appended to `to` from index `firstAdded` on, and their texts.
void takeBack(CItemArray& to, int firstAdded, std::optional<std::int64_t> textSize) {
    std::vector<int> added;
    for (int i = firstAdded; i < to.size(); ++i) {
        to.setLength(i, 0);  // their texts go with the truncation below
        added.push_back(i);
    }
    to.remove(added);
    if (textSize) to.truncateText(*textSize);
}

std::vector<int> transfer(CTolDoc& doc, CItemArray& from, const std::vector<int>& selection,
                          CItemArray& to, int parent, bool copyOwnFiles) {
    if (&from == &to || selection.empty() || !to.valid(parent)) return {};
    std::vector<CItem> items;
    items.reserve(selection.size());
    for (const int i : selection) {
        if (!from.valid(i) || i == 0) return {};
        items.push_back(from.item(i));
    }

    // The texts go into the target's text file in one piece.
    std::string texts;
    std::vector<std::int64_t> textAt(items.size(), -1);
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (!storesPlaceText(items[k])) continue;
        const auto text = from.readText(items[k].m_nOffset, items[k].m_nLength);
        if (!text) return {};
        textAt[k] = static_cast<std::int64_t>(texts.size());
        texts += *text;
    }
    std::optional<std::int64_t> base;
    if (!texts.empty()) {
        base = to.appendText(texts);
        if (!base) return {};
    }

    const int firstAdded = to.size();
    std::vector<int> added;
    added.reserve(items.size());
    // Selected items keep their tree: an item whose parent was copied hangs under the copy.
    for (std::size_t k = 0; k < items.size(); ++k) {
        CItem copy = items[k];
        if (textAt[k] >= 0) {
            copy.m_nOffset = static_cast<std::int32_t>(*base + textAt[k]);
            copy.m_nLength = static_cast<std::int32_t>(std::min<std::int64_t>(
                copy.m_nLength, static_cast<std::int64_t>(texts.size()) - textAt[k]));
        }
        if (copyOwnFiles && keepsOwnText(copy)) {
            copy.m_nNumber = copyOwnText(doc, items[k]);
            if (copy.m_nNumber == 0) {
                takeBack(to, firstAdded, base);
                return {};
            }
        }
        int copyParent = parent;
        const auto up = std::find(selection.begin(), selection.begin() + static_cast<std::ptrdiff_t>(k),
                                  items[k].m_nParent);
        if (up != selection.begin() + static_cast<std::ptrdiff_t>(k))
            copyParent = added[static_cast<std::size_t>(up - selection.begin())];
        added.push_back(to.addCopy(copyParent, copy, kTransferMask));
    }
    if (!to.listFile().empty() && !to.save()) {
        takeBack(to, firstAdded, base);
        return {};
    }
    return added;
}

}  // namespace

bool keepsOwnText(const CItem& item) {
    return item.m_nKind == kind::kTemplate || kind::isOutgoing(item.m_nKind, item.m_dwFlags);
}

std::vector<int> transferSelection(const CItemArray& from, const std::vector<int>& indices,
                                   bool withSubtrees) {
    std::vector<int> chosen;
    for (const int i : indices)
        if (i > 0 && from.valid(i)) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    if (!withSubtrees) return chosen;
    std::vector<int> selection;
    auto inSelection = [&selection](int i) {
        return std::find(selection.begin(), selection.end(), i) != selection.end();
    };
    for (const int root : chosen) {
        if (inSelection(root)) continue;
        // The subtree in depth-first order, parents before their children.
        std::vector<int> pending{root};
        while (!pending.empty()) {
            const int i = pending.back();
            pending.pop_back();
            if (inSelection(i)) continue;
            selection.push_back(i);
            std::vector<int> children;
            for (int c = from.item(i).m_nChild; c >= 0 && from.valid(c); c = from.item(c).m_nNext) {
                children.push_back(c);
                if (static_cast<int>(children.size()) > from.size()) break;  // a loop
            }
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    }
    return selection;
}

std::vector<int> copyItems(CTolDoc& doc, CItemArray& from, const std::vector<int>& selection,
                           CItemArray& to, int parent) {
    return transfer(doc, from, selection, to, parent, true);
}

std::vector<int> moveItems(CTolDoc& doc, CItemArray& from, const std::vector<int>& selection,
                           CItemArray& to, int parent, bool* inBoth) {
    if (inBoth) *inBoth = false;
    std::vector<int> added = transfer(doc, from, selection, to, parent, false);
    if (added.empty()) return added;
    if (!from.remove(selection) && inBoth) *inBoth = true;
    return added;
}

}  // namespace morvaline
