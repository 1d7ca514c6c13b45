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

// Shift_JIS. placeKind: the kind of the place that owns the list.
std::string subjectLine(const MessageRow& row, const SubjectOptions& options, int placeKind,
                        std::size_t width = kSubjectLineWidth);

// A date in the short date format of the locale (Shift_JIS); empty for 0.
std::string shortDate(FileTime date);

}  // namespace morvaline
