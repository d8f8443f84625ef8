#pragma once

#include "framework/win/image_list.h"

namespace tw {

// Points a control's image list reference SLOT at VALUE: the old list stops reporting its
// changes through LINK and its destruction to CLIENT, the new one starts. False when SLOT
// already names VALUE, so the caller can skip its own update.
inline bool AttachImageList(TCustomImageList*& slot, TCustomImageList* value, TChangeLink& link,
                            TComponent* client) {
  if (slot == value) return false;
  if (slot) {
    slot->UnRegisterChanges(link);
    slot->RemoveFreeNotification(client);
  }
  slot = value;
  if (slot) {
    slot->RegisterChanges(link);
    slot->FreeNotification(client);
  }
  return true;
}

}  // namespace tw
