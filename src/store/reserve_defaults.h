#pragma once
// The reservation menus that a new user starts with, and the entries that documents of
// older versions gain when they are loaded.

#include <array>
#include <cstdint>

#include "store/reserve.h"

namespace morvaline {

// Priorities of menu entries, shown as "A" ... "E".
namespace priority {
inline constexpr int kA = 0;  // "最優先"
inline constexpr int kB = 1;  // "優先"
inline constexpr int kC = 2;  // "普通"
inline constexpr int kD = 3;  // "時々"
}  // namespace priority

void fillDefaultMenus(std::array<CReserveArray, 19>& menus);
void upgradeMenus(std::array<CReserveArray, 19>& menus, std::int32_t documentVersion);

}  // namespace morvaline
