// The locator's stored "Pidl" record from arbitrary bytes: it reads or fails with a read error,
// and whatever it reads writes back to a record that reads as the same place.
#include <cstdlib>

#include "framework/exception.h"
#include "framework/stream.h"
#include "fuzz/fuzz_target.h"
#include "shell/shell_locator.h"

namespace {

tw::fuzz::Bytes Record(const tw::fuzz::Bytes& id) {
  tw::TPTShellLocator locator;
  locator.SetIdList(tw::AsIdList(id.data()));
  tw::TMemoryStream stream;
  locator.WritePidl(stream);
  return stream.Bytes();
}

}  // namespace

TW_FUZZ_TARGET(LocatorPidl) {
  tw::TMemoryStream input(tw::fuzz::Bytes(data, data + size));
  tw::TPTShellLocator locator;
  try {
    locator.ReadPidl(input);
  } catch (const tw::EReadError&) {
    return;
  }
  tw::TMemoryStream output;
  locator.WritePidl(output);
  output.SetPosition(0);
  tw::TPTShellLocator again;
  again.ReadPidl(output);
  if (!again.Equal(locator) || output.Position() != output.Size()) std::abort();
}

TW_FUZZ_SEEDS(LocatorPidl) {
  return {
      Record({4, 0, 'C', ':', 6, 0, 'd', 'o', 'c', 's', 3, 0, 'x', 0, 0}),
      Record({5, 0, 1, 2, 3, 0, 0}),
      {1, 17},
      {0, 2, 0, 0, 0, 0, 0},
  };
}
