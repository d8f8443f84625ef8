#include "shell/shell_list_columns.h"

#include <algorithm>

#include "framework/stream.h"

namespace tw {
namespace {

// The Explorer's own widths: Name, Size, Type, Modified and one more, as 16-bit words.
const std::vector<std::uint8_t>& DefaultDirectoryCols() {
  static const std::vector<std::uint8_t> value = {200, 0, 60, 0, 100, 0, 120, 0, 50, 0};
  return value;
}

}  // namespace

void SaveColumnWidths(TStream& stream, const std::vector<int>& widths) {
  stream.SetSize(0);
  stream.SetPosition(0);
  const std::int32_t count = static_cast<std::int32_t>(widths.size());
  stream.WriteBuffer(&count, sizeof(count));
  for (int width : widths) {
    const std::int32_t value = width;
    stream.WriteBuffer(&value, sizeof(value));
  }
}

std::vector<int> LoadColumnWidths(TStream& stream, int column_count) {
  std::vector<int> widths;
  stream.SetPosition(0);
  std::int32_t count = 0;
  if (stream.Read(&count, sizeof(count)) != sizeof(count)) return widths;
  count = std::clamp<std::int32_t>(count, 0, std::max(column_count, 0));
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t width = 0;
    if (stream.Read(&width, sizeof(width)) != sizeof(width)) break;
    widths.push_back(width);
  }
  return widths;
}

TStandardWidths TDirectoryColsCopy::StandardWidths(
    const std::optional<std::vector<std::uint8_t>>& value, TStream& stream) {
  const std::vector<std::uint8_t>& data =
      value && value->size() <= kDirectoryColsMaxBytes ? *value : DefaultDirectoryCols();
  const bool unchanged = have_last_ && data == last_;
  last_ = data;
  have_last_ = true;

  TStandardWidths widths;
  const std::vector<std::uint8_t>& defaults = DefaultDirectoryCols();
  for (int i = 0; i < kStandardColumnCount; ++i) {
    const std::vector<std::uint8_t>& source = 2 * i + 1 < static_cast<int>(data.size()) ? data
                                                                                          : defaults;
    widths[i] = source[2 * i] | (source[2 * i + 1] << 8);
  }
  if (unchanged && stream.Size() > 0) {
    const std::vector<int> saved = LoadColumnWidths(stream, kStandardColumnCount);
    std::copy(saved.begin(), saved.end(), widths.begin());
  }
  return widths;
}

TDirectoryColsCopy& DirectoryColsCopy() {
  static TDirectoryColsCopy copy;
  return copy;
}

}  // namespace tw
