#include "shell/win/shell_id_list_format.h"

namespace tw {
namespace {

UINT& Format() {
  static UINT format = 0;
  return format;
}

}  // namespace

void RegisterShellIdListFormat() { Format() = RegisterClipboardFormatA("Shell IDList Array"); }

UINT ShellIdListFormat() { return Format(); }

}  // namespace tw
