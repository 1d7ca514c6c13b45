#pragma once
// The text of one line of the subject list: number, date, marker, title, sender, handle,
// size and reference count as the display options ask, never longer than width bytes and
// never cut inside a double-byte character.

#include <cstddef>
#include <string>

#include "models/message_snapshot.h"
#include "models/subject_order.h"

namespace morvaline {

inline constexpr std::size_t kSubjectLineWidth = 256;

// The line of row index of the snapshot (Shift_JIS).
std::string subjectLine(const MessageSnapshot& messages, int index, const SubjectOptions& options,
                        std::size_t width = kSubjectLineWidth);

// A date in the short date format of the locale (Shift_JIS); empty for 0.
std::string shortDate(FileTime date);

}  // namespace morvaline
