#pragma once
// Encoding a file as a uuencoded block for binary mail to the host. Lines end in CR
// alone, like all text sent to the host.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace morvaline {

// The block for a file named sjisName with the given contents: "begin 600 NAME", lines of
// up to 45 bytes, one "`" line and "end".
std::string EncodeUuBlock(std::string_view sjisName, std::string_view bytes);

// The block for a local file, named by the last part of its path; nullopt when the file
// cannot be read.
std::optional<std::string> EncodeUuFile(const std::filesystem::path& path);

}  // namespace morvaline
