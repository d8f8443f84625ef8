#include "viewers/win/rich_edit_control.h"

#include <richedit.h>

#include <algorithm>

namespace tw {

namespace {

// What the read callback works with: the chunker that holds the state between chunks, and the
// bytes it may still hand over (no bound when negative).
struct ReadCookie {
  TReadChunker* chunker;
  std::int64_t quota;
};

// What the write callback works with: the conversion and the stream.
struct WriteCookie {
  TConversion* conversion;
  TStream* stream;
};

DWORD CALLBACK ReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* count) {
  auto* c = reinterpret_cast<ReadCookie*>(cookie);
  try {
    if (c->quota >= 0) capacity = static_cast<LONG>(std::min<std::int64_t>(capacity, c->quota));
    *count = c->chunker->Next(reinterpret_cast<char*>(buffer), capacity);
    if (c->quota >= 0) c->quota -= *count;
    return 0;
  } catch (...) {
    *count = 0;
    return 1;
  }
}

DWORD CALLBACK WriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* count) {
  auto* c = reinterpret_cast<WriteCookie*>(cookie);
  try {
    *count = c->conversion->ConvertWriteStream(*c->stream, reinterpret_cast<const char*>(buffer), size);
    return 0;
  } catch (...) {
    *count = 0;
    return 1;
  }
}

// Wide text going in or coming out, a byte at a time as the control asks.
struct WideCookie {
  std::string bytes;
  std::size_t at = 0;
};

DWORD CALLBACK WideReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* count) {
  auto* c = reinterpret_cast<WideCookie*>(cookie);
  // Whole units only: the control reads each buffer as text of its own.
  const std::size_t n = std::min(c->bytes.size() - c->at, static_cast<std::size_t>(std::max<LONG>(0, capacity)) & ~std::size_t{1});
  std::copy_n(c->bytes.data() + c->at, n, reinterpret_cast<char*>(buffer));
  c->at += n;
  *count = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WideWriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* count) {
  reinterpret_cast<WideCookie*>(cookie)->bytes.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
  *count = size;
  return 0;
}

}  // namespace

bool StreamWideIntoControl(HWND window, std::u16string_view text) {
  WideCookie cookie;
  cookie.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &WideReadCallback};
  SendMessageA(window, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&edit_stream));
  return edit_stream.dwError == 0;
}

void ReplaceSelectionWide(HWND window, std::u16string_view text) {
  // Streaming into the selection would take the whole text's place under Wine; setting the
  // selection's text as UTF-16 keeps the rest. A text that opens like rich text goes in after
  // its brace, so that it is never read as such.
  if (text.starts_with(u"{\\") && text.size() > 1) {
    ReplaceSelectionWide(window, text.substr(0, 1));
    return ReplaceSelectionWide(window, text.substr(1));
  }
  const std::u16string terminated(text);
  SETTEXTEX setting{ST_SELECTION, 1200};
  SendMessageA(window, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&setting), reinterpret_cast<LPARAM>(terminated.c_str()));
}

std::u16string WideControlText(HWND window) {
  WideCookie cookie;
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &WideWriteCallback};
  SendMessageA(window, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&edit_stream));
  return std::u16string(reinterpret_cast<const char16_t*>(cookie.bytes.data()), cookie.bytes.size() / sizeof(char16_t));
}

WPARAM StreamFlags(TRichStreamFormat format, TRichStreamModes mode, bool plain_editor, bool saving) {
  bool rich = format == sfRichText || (format == sfDefault && !plain_editor);
  WPARAM flags;
  if (rich) {
    flags = saving && (mode & smNoObjects) ? SF_RTFNOOBJS : SF_RTF;
    if (mode & smPlainRtf) flags |= SFF_PLAINRTF;
  } else {
    flags = SF_TEXT;
    if ((mode & smUnicode) && RichEditLevel() > 1) flags |= SF_UNICODE;
  }
  if (mode & smSelection) flags |= SFF_SELECTION;
  return flags;
}

int ControlTextLength(HWND window) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS, CP_ACP};
  return static_cast<int>(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

bool StreamIntoControl(HWND window, TReadChunker& chunker, WPARAM flags, std::int64_t quota) {
  ReadCookie cookie{&chunker, quota};
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &ReadCallback};
  SendMessageA(window, EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&edit_stream));
  return edit_stream.dwError == 0;
}

void TTwCustomRichEdit::EnableChangeNotify(bool value) {
  if (!HandleAllocated()) return;
  LRESULT mask = SendMessageA(Handle(), EM_GETEVENTMASK, 0, 0);
  mask = value ? (mask | ENM_CHANGE) : (mask & ~LRESULT{ENM_CHANGE});
  SendMessageA(Handle(), EM_SETEVENTMASK, 0, mask);
}

bool StreamOutOfControl(HWND window, TConversion& conversion, TStream& stream, WPARAM flags) {
  WriteCookie cookie{&conversion, &stream};
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &WriteCallback};
  SendMessageA(window, EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&edit_stream));
  return edit_stream.dwError == 0;
}

}  // namespace tw
