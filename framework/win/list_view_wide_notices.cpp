// The list control speaks UTF-16 to its owner, so that no text is held to the control's 8-bit
// room: its text notices are put in the 8-bit form the list works with, and the answers back.
#include <algorithm>
#include <cstring>

#include "framework/win/list_view.h"
#include "framework/win/wide_text.h"

namespace tw {
namespace {

// TEXT into a wide buffer of ROOM units, cut at a character.
void CopyWide(const char* text, wchar_t* out, int room) {
  if (!out || room <= 0) return;
  const std::wstring wide = ToWide(text ? text : "");
  std::size_t length = std::min(wide.size(), static_cast<std::size_t>(room - 1));
  if (length > 0 && length < wide.size() && IS_HIGH_SURROGATE(wide[length - 1])) --length;
  std::copy_n(wide.data(), length, out);
  out[length] = L'\0';
}

// The 8-bit copy of a wide notice: the same fields, CODE, and TEXT in place of the wide text.
NMLVDISPINFOA Narrow(const NMLVDISPINFOW& wide, UINT code, char* text, int room) {
  NMLVDISPINFOA narrow;
  static_assert(sizeof(narrow) == sizeof(wide));
  std::memcpy(&narrow, &wide, sizeof(narrow));
  narrow.hdr.code = code;
  narrow.item.pszText = text;
  narrow.item.cchTextMax = room;
  return narrow;
}

}  // namespace

void TCustomListView::CNNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  LRESULT result = 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto& wide = *reinterpret_cast<NMLVDISPINFOW*>(message.LParam);
      // Room for the wide buffer's characters in UTF-8.
      std::string text(static_cast<std::size_t>(std::max(wide.item.cchTextMax, 0)) * 3 + 1, '\0');
      NMLVDISPINFOA narrow = Narrow(wide, LVN_GETDISPINFOA, text.data(), static_cast<int>(text.size()));
      DoNotify(narrow.hdr, result);
      wchar_t* out = wide.item.pszText;
      const int room = wide.item.cchTextMax;
      std::memcpy(&wide.item, &narrow.item, sizeof(wide.item));
      wide.item.pszText = out;
      wide.item.cchTextMax = room;
      if (wide.item.mask & LVIF_TEXT) CopyWide(narrow.item.pszText, out, room);
      break;
    }
    case LVN_BEGINLABELEDITW:
    case LVN_ENDLABELEDITW: {
      const auto& wide = *reinterpret_cast<const NMLVDISPINFOW*>(message.LParam);
      // A cancelled edit ends without a text.
      std::string text = wide.item.pszText ? FromWide(wide.item.pszText) : std::string();
      NMLVDISPINFOA narrow = Narrow(wide, header->code == LVN_BEGINLABELEDITW ? LVN_BEGINLABELEDITA : LVN_ENDLABELEDITA,
                                    wide.item.pszText ? text.data() : nullptr, static_cast<int>(text.size() + 1));
      DoNotify(narrow.hdr, result);
      break;
    }
    default:
      DoNotify(*header, result);
      break;
  }
  message.Result = result;
}

}  // namespace tw
