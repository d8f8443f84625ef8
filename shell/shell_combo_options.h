#pragma once
// The options of the path combo box: a 16-bit set whose bit i is the i-th option.

#include <cstdint>

namespace tw {

enum TPTShellComboOption : int {
  // Build the entries when the window is created and after loading.
  ptscoAutofill,
  // Also list folders that are neither file-system folders nor their ancestors.
  ptscoNonFilesystemAncestors,
};

class TPTShellComboOptions {
public:
  constexpr TPTShellComboOptions() = default;
  constexpr explicit TPTShellComboOptions(std::uint16_t bits) : bits_(bits) {}

  constexpr std::uint16_t Bits() const { return bits_; }
  constexpr bool Contains(TPTShellComboOption option) const {
    return (bits_ & (1u << option)) != 0;
  }
  constexpr TPTShellComboOptions With(TPTShellComboOption option, bool on = true) const {
    return TPTShellComboOptions(static_cast<std::uint16_t>(
        on ? bits_ | (1u << option) : bits_ & ~(1u << option)));
  }
  friend constexpr bool operator==(TPTShellComboOptions, TPTShellComboOptions) = default;

private:
  std::uint16_t bits_ = 0;
};

inline constexpr TPTShellComboOptions kDefaultShellComboOptions{3};

}  // namespace tw
