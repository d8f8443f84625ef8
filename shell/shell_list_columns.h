#pragma once
// The column widths the shell lists share in a process: a stream of saved widths (a 32-bit count
// followed by one 32-bit width per column) and a copy of the Explorer's "DirectoryCols" value
// as last read, which tells whether the saved widths still match what the Explorer would use.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tw {

class TStream;

inline constexpr int kStandardColumnCount = 4;
// The longest "DirectoryCols" value taken from the registry.
inline constexpr std::size_t kDirectoryColsMaxBytes = 22;

using TStandardWidths = std::array<int, kStandardColumnCount>;

// Replaces the content of STREAM with WIDTHS.
void SaveColumnWidths(TStream& stream, const std::vector<int>& widths);

// The widths saved in STREAM for at most COLUMN_COUNT columns, in order; fewer when the stream
// ends early, none for an empty stream.
std::vector<int> LoadColumnWidths(TStream& stream, int column_count);

class TDirectoryColsCopy {
public:
  // The widths of the four standard columns for the "DirectoryCols" value VALUE (nothing when
  // it is absent, unreadable or longer than 22 bytes: the Explorer's defaults count then). When
  // the value equals the copy kept from the last call and STREAM holds saved widths, those win;
  // otherwise the value's first four 16-bit words do (a word the value lacks keeps its default).
  // The value becomes the new copy.
  TStandardWidths StandardWidths(const std::optional<std::vector<std::uint8_t>>& value,
                                 TStream& stream);

private:
  std::vector<std::uint8_t> last_;
  bool have_last_ = false;
};

// The process-wide copy the lists share.
TDirectoryColsCopy& DirectoryColsCopy();

}  // namespace tw
