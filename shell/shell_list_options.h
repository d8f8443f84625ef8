#pragma once
// The options of the shell list: a 16-bit set whose bit i is the i-th option.

#include <cstdint>
#include <initializer_list>

namespace tw {

enum TPTShellListOption : int {
  ptsloAutoFill,
  ptsloNonFilesystemAncestors,
  ptsloDesignInteractive,
  ptsloDefaultKeyHandling,
  ptsloContextMenus,
  ptsloDontChangeFolder,
  ptsloDontGoBelowBase,
  ptsloDynamicRefresh,
  ptsloHideFoldersWhenLinkedToTree,
  ptsloOleDrag,
  ptsloOleDrop,
  ptsloFolderContextMenu,
  ptsloShowHidden,
};

class TPTShellListOptions {
public:
  constexpr TPTShellListOptions() = default;
  constexpr explicit TPTShellListOptions(std::uint16_t bits) : bits_(bits) {}
  constexpr TPTShellListOptions(std::initializer_list<TPTShellListOption> options) {
    for (TPTShellListOption option : options) bits_ |= Bit(option);
  }

  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr bool Contains(TPTShellListOption option) const { return (bits_ & Bit(option)) != 0; }
  constexpr TPTShellListOptions With(TPTShellListOption option, bool on = true) const {
    return TPTShellListOptions(
        static_cast<std::uint16_t>(on ? bits_ | Bit(option) : bits_ & ~Bit(option)));
  }
  constexpr TPTShellListOptions Without(TPTShellListOption option) const {
    return With(option, false);
  }
  friend constexpr bool operator==(TPTShellListOptions, TPTShellListOptions) = default;

private:
  static constexpr std::uint16_t Bit(TPTShellListOption option) {
    return static_cast<std::uint16_t>(1u << option);
  }
  std::uint16_t bits_ = 0;
};

// AutoFill, NonFilesystemAncestors, DefaultKeyHandling, ContextMenus, DynamicRefresh, OleDrag,
// OleDrop, FolderContextMenu and ShowHidden.
inline constexpr TPTShellListOptions kDefaultShellListOptions{7835};

}  // namespace tw
