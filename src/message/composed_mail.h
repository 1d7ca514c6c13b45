#pragma once
// The internet message of a mail written offline, composed into a private temporary file:
// the form in which a mail with attached files goes to the internet gateway, and the
// inspection copy the command line writes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/private_temp.h"

namespace morvaline {

class CItem;
class CTolDoc;

struct ComposedMail {
    PrivateTempFile file;           // "MMS%06d.EML" with the item's number
    std::vector<std::string> lost;  // characters ISO-2022-JP could not carry (Shift_JIS)
    bool multipart = false;
};

// Composes an outgoing mail (its text, its attached files; a forward passes its received
// internet mail on, or follows its comment with the text of a host mail) for `recipients`,
// the list with address-book names already expanded. Nothing, with *error (UTF-8) naming
// what could not be read or written (its text file, an attached file, the forwarded mail,
// the temporary file), when composing fails: a partly composed mail never leaves this
// function.
std::optional<ComposedMail> ComposeOutgoingMail(CTolDoc& doc, const CItem& item,
                                                std::string_view recipients, std::string* error);

// The characters of an outgoing mail (its title, sender name and text) that ISO-2022-JP
// cannot carry, when one of its recipients, address-book names expanded, is on the
// internet; empty otherwise.
std::vector<std::string> CharactersLostOnTheInternet(CTolDoc& doc, const CItem& item);

}  // namespace morvaline
