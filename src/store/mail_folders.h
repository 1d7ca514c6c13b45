#pragma once
// The user's own places in the place tree: mail folders ("~M%06d", kind 9), into which mail
// is sorted by hand or by the mail assistant, and copies of host places ("~R%06d") added
// under another parent, such as the favourites.

#include <string>
#include <string_view>

namespace morvaline {

class CTolDoc;

// Adds a mail folder under parent (empty title: "新しいﾒｰﾙ ﾌｫﾙﾀﾞ"); its index, or -1 when no
// folder number is free or the parent cannot hold places.
int addMailFolder(CTolDoc& doc, int parent, std::string_view title = {});

bool renameMailFolder(CTolDoc& doc, int folder, std::string_view title);

// Removes a mail folder. Its mail goes to the trash first (to the folder's parent list
// never: a folder is removed only when nothing is left in it); false with *error (UTF-8)
// when the folder is not a mail folder or its mail could not all be moved.
bool removeMailFolder(CTolDoc& doc, int folder, std::string* error);

// Adds a copy of a host place under parent: kind, title and code of the source, its path
// (a club's or circle's code), hidden flags, ID "~R%06d". The index of the copy, or of an
// equal place that is there already; -1 when the source is not a host place.
int addPlaceCopy(CTolDoc& doc, int source, int parent);

// The trash place of the tree ("~TRASH", kind -28); -1.
int findTrashPlace(const CTolDoc& doc);

}  // namespace morvaline
