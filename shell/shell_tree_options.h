#pragma once
// The options of the shell tree: a 16-bit set whose bit i is the i-th option.

#include <cstdint>
#include <initializer_list>

namespace tw {

enum TPTShellTreeOption : int {
  ptstoAutoFill,
  ptstoVirtualFolders,
  ptstoDesignInteractive,
  ptstoDefaultKeyHandling,
  ptstoContextMenus,
  ptstoDynamicRefresh,
  ptstoIncludeNonFolders,
  ptstoOleDrag,
  ptstoOleDrop,
  ptstoShowHidden,
};

class TPTShellTreeOptions {
public:
  constexpr TPTShellTreeOptions() = default;
  constexpr explicit TPTShellTreeOptions(std::uint16_t bits) : bits_(bits) {}
  constexpr TPTShellTreeOptions(std::initializer_list<TPTShellTreeOption> options) {
    for (TPTShellTreeOption option : options) bits_ |= Bit(option);
  }

  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr bool Contains(TPTShellTreeOption option) const { return (bits_ & Bit(option)) != 0; }
  constexpr TPTShellTreeOptions With(TPTShellTreeOption option, bool on = true) const {
    return TPTShellTreeOptions(
        static_cast<std::uint16_t>(on ? bits_ | Bit(option) : bits_ & ~Bit(option)));
  }
  constexpr TPTShellTreeOptions Without(TPTShellTreeOption option) const {
    return With(option, false);
  }
  friend constexpr bool operator==(TPTShellTreeOptions, TPTShellTreeOptions) = default;

private:
  static constexpr std::uint16_t Bit(TPTShellTreeOption option) {
    return static_cast<std::uint16_t>(1u << option);
  }
  std::uint16_t bits_ = 0;
};

// AutoFill, VirtualFolders, DefaultKeyHandling, ContextMenus, DynamicRefresh, OleDrag, OleDrop
// and ShowHidden.
inline constexpr TPTShellTreeOptions kDefaultShellTreeOptions{955};

}  // namespace tw
