#pragma once
// What the editor's parts send the rich edit control alike: the stream transfers, by window and
// format flags, the length of the text as the control counts it, and (the editor's
// EnableChangeNotify) the switch of its change notification.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/stream.h"
#include "viewers/rich_edit_conversion.h"
#include "viewers/win/rich_edit.h"

namespace tw {

// The control's format flags for loading (SAVING false) or saving in FORMAT with MODE; FORMAT
// sfDefault is plain text in a PLAIN_EDITOR, else rich text.
WPARAM StreamFlags(TRichStreamFormat format, TRichStreamModes mode, bool plain_editor, bool saving);
// Characters in WINDOW's text, a paragraph break counting as one.
int ControlTextLength(HWND window);
// Streams CHUNKER's text into WINDOW with FLAGS, at most QUOTA bytes of it unless QUOTA is
// negative; false when the control reports an error.
bool StreamIntoControl(HWND window, TReadChunker& chunker, WPARAM flags, std::int64_t quota);
// Streams TEXT into WINDOW as its whole plain UTF-16 text; false when the control reports an
// error.
bool StreamWideIntoControl(HWND window, std::u16string_view text);
// Puts TEXT (plain UTF-16 text) in place of WINDOW's selection.
void ReplaceSelectionWide(HWND window, std::u16string_view text);
// WINDOW's whole text as plain UTF-16 text with CR LF breaks.
std::u16string WideControlText(HWND window);
// Streams WINDOW's text out with FLAGS through CONVERSION to STREAM; false when the control
// reports an error.
bool StreamOutOfControl(HWND window, TConversion& conversion, TStream& stream, WPARAM flags);

}  // namespace tw
