// The shell list's stored column state from arbitrary bytes: the first byte splits the input
// into an Explorer "DirectoryCols" value and a width stream. Reading never goes past either,
// gives at most the columns asked for, and an unchanged value with saved widths gives those.
#include <cstdlib>

#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "shell/shell_list_columns.h"

TW_FUZZ_TARGET(ShellListColumns) {
  if (size == 0) return;
  const std::size_t split = std::min<std::size_t>(data[0], size - 1);
  const std::vector<std::uint8_t> value(data + 1, data + 1 + split);
  tw::TMemoryStream stream(tw::fuzz::Bytes(data + 1 + split, data + size));
  for (int columns = 0; columns <= 6; ++columns)
    if (tw::LoadColumnWidths(stream, columns).size() > static_cast<std::size_t>(columns))
      std::abort();
  tw::TDirectoryColsCopy copy;
  copy.StandardWidths(value, stream);
  const tw::TStandardWidths again = copy.StandardWidths(value, stream);
  const std::vector<int> saved = tw::LoadColumnWidths(stream, tw::kStandardColumnCount);
  for (std::size_t i = 0; i < saved.size(); ++i)
    if (again[i] != saved[i]) std::abort();
}

TW_FUZZ_SEEDS(ShellListColumns) {
  tw::TMemoryStream widths;
  tw::SaveColumnWidths(widths, {200, 60, 100, 120});
  tw::fuzz::Bytes seed = {10, 200, 0, 60, 0, 100, 0, 120, 0, 50, 0};
  seed.insert(seed.end(), widths.Bytes().begin(), widths.Bytes().end());
  tw::fuzz::Bytes short_value = {3, 90, 0, 7};
  short_value.insert(short_value.end(), widths.Bytes().begin(), widths.Bytes().end());
  return {seed, short_value, {0}};
}
