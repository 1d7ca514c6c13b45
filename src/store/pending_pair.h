#pragma once
// A message list and its text file are replaced as a pair: the new files wait beside the
// old ones under these names, and the pending list decides the change, which the next open
// of the list finishes after a crash (CItemArray::open). Deleting texts and the file
// check's rebuild hand their new pairs over so.

#include <filesystem>

namespace morvaline {

inline std::filesystem::path pendingPairPath(const std::filesystem::path& file) {
    auto pending = file;
    pending += ".cut";
    return pending;
}

}  // namespace morvaline
