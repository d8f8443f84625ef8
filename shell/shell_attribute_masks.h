#pragma once
// The attribute request masks the shell views hand to IShellFolder::GetAttributesOf. Each asks
// only for what its caller looks at: some attributes cost the folder real work to find out.

#include <cstdint>

namespace tw {

// Adding an item to a view: has subfolders, file system, folder, file-system ancestor,
// removable, ghosted, shared, link.
inline constexpr std::uint32_t kAddItemAttributeRequest = 0xF20B0000;
// Checking in a refresh that an item still exists: the adding attributes less the overlays,
// plus validation, which makes the folder look the item up again.
inline constexpr std::uint32_t kValidateAttributeRequest = 0xF3000000;
// Whether an item can be renamed, with the other things done to it: file system, drop target,
// property sheet, delete, rename, link, move, copy.
inline constexpr std::uint32_t kItemAttributeRequest = 0x40000177;
// The drop effects an item allows: copy, move, link.
inline constexpr std::uint32_t kDropEffectAttributeRequest = 7;

}  // namespace tw
