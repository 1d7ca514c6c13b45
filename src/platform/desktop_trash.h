#pragma once
// The desktop's trash (the freedesktop.org trash of the user's home), for files the user
// chose to throw away after a tool used them.

#include <filesystem>

namespace morvaline {

// Moves a file into the trash; false when it stayed where it was.
bool moveToDesktopTrash(const std::filesystem::path& file);

}  // namespace morvaline
