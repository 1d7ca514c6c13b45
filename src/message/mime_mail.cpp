#include "message/mime_mail.h"

#include "message/attachment_name.h"
#include "message/base64.h"
#include "message/iso2022jp.h"
#include "message/mime_part.h"
#include "message/quoted_printable.h"
#include "message/uu_block.h"
#include "platform/ascii_case.h"
#include "platform/text_codec.h"

namespace morvaline {
namespace {

bool hasEncoding(const MimePart& part, std::string_view encoding) {
    return part.encoding && equalsNoCase(*part.encoding, encoding);
}

// The leaves of the tree in document order (the depth is bounded by the parser).
void collectLeaves(const MimePart& part, std::vector<const MimePart*>& leaves) {
    if (part.children.empty()) {
        leaves.push_back(&part);
        return;
    }
    for (const MimePart& child : part.children) collectLeaves(child, leaves);
}

std::string bodyText(const MimePart& leaf, AttachmentList* list) {
    const std::string_view body = leaf.body();
    if (hasEncoding(leaf, "base64")) return JisToSjis(Base64Decode(body));
    if (hasEncoding(leaf, "quoted-printable")) return JisToSjis(DecodeQuotedPrintable(body));
    return JisToSjis(SplitUuBlocks(body, list));
}

// The name of a leaf: its filename parameter, else its name parameter, made safe; the
// default of its media type when it has no usable one.
std::string attachmentName(const MimePart& leaf) {
    const std::string* raw = leaf.param("filename");
    if (!raw || raw->empty()) raw = leaf.param("name");
    std::string_view name = raw ? std::string_view(*raw) : std::string_view();
    if (name.starts_with('"')) {
        name.remove_prefix(1);
        name = name.substr(0, name.find('"'));
    }
    std::string safe = name.empty() ? std::string() : MakeAttachmentFileName(name);
    if (safe.empty())
        safe = DefaultAttachmentName(leaf.type.value_or(""), leaf.subtype.value_or(""));
    if (leaf.isType("application", "mac-binhex40")) {
        static const std::string kBinHex = sj("BinHexでｴﾝｺｰﾄﾞされたﾌｧｲﾙ");
        safe = kBinHex + "(" + safe + ").hqx";
    }
    return safe;
}

Attachment makeAttachment(const MimePart& leaf) {
    const std::string_view body = leaf.body();
    std::string name = attachmentName(leaf);
    if (hasEncoding(leaf, "base64"))
        return {std::string(body), std::move(name), AttachmentKind::Base64};
    if (hasEncoding(leaf, "quoted-printable"))
        return {std::string(body), std::move(name), AttachmentKind::QuotedPrintable};
    if (hasEncoding(leaf, "x-uuencode") || leaf.isType("application", "x-uuencode")) {
        std::size_t pos = 0;
        if (auto block = ExtractUuBlock(body, pos)) {
            std::string blockName = SafeAttachmentName(block->name);
            if (!blockName.empty()) name = std::move(blockName);
            return {std::string(block->data), std::move(name), AttachmentKind::Uuencoded};
        }
        return {std::string(body), std::move(name), AttachmentKind::Text};
    }
    return {JisToSjis(body), std::move(name), AttachmentKind::Text};
}

}  // namespace

std::string DecodeMimeMail(std::string_view message, AttachmentList* list) {
    MimePart root;
    root.text = message;
    std::size_t partsLeft = kMaxMimeParts;
    ParseMimePart(root, partsLeft);  // a partial tree is used as it is

    std::vector<const MimePart*> leaves;
    collectLeaves(root, leaves);
    std::string text;
    std::size_t firstAttachment = 0;
    if (leaves.front()->isType("text")) {
        text = bodyText(*leaves.front(), list);
        firstAttachment = 1;
    } else {
        static const std::string kNoBody = sj("(本文なし)\r\n");
        text = kNoBody;
    }
    if (list)
        for (std::size_t i = firstAttachment; i < leaves.size(); ++i)
            list->push_back(makeAttachment(*leaves[i]));
    return text;
}

}  // namespace morvaline
