#pragma once
// The few namespace services that the portable shell code (the locator, list comparison) needs
// from the platform. On Windows the shell start-up installs the desktop folder's answers; the
// portable default compares lists by their bytes and knows no special folders or paths, which is
// what the native tests of the portable code run against.

#include <string>

#include "shell/shell_item_id.h"

namespace tw {

// CompareIdLists' answer when the comparison could not be made; callers take it as "not equal".
constexpr int kIdCompareUnknown = 0x7FFFFFFF;

class TShellNamespace {
public:
  virtual ~TShellNamespace() = default;
  // Order of two non-empty absolute lists: negative, 0, positive, or kIdCompareUnknown.
  virtual int CompareAbsoluteIds(const ItemIdList* a, const ItemIdList* b) = 0;
  // A new absolute list for a special folder number (CSIDL); null when it cannot be resolved.
  virtual ShellItemId SpecialFolderIdList(int csidl) = 0;
  // The file-system path of an absolute list (null = the desktop); empty when it has none.
  virtual std::string PathOfIdList(const ItemIdList* id) = 0;
};

// The process-wide services; SetShellNamespace(nullptr) restores the portable default.
TShellNamespace& ShellNamespace();
void SetShellNamespace(TShellNamespace* services);

// Order of two absolute lists: both null 0; exactly one null -1; both empty 0; exactly one
// empty -1; otherwise the namespace's comparison. Never raises.
int CompareIdLists(const ItemIdList* a, const ItemIdList* b);

}  // namespace tw
