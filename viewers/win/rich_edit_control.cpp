#include "viewers/win/rich_edit_control.h"

#include <richedit.h>

#include <algorithm>

#include "viewers/rtf_unicode.h"
#include "viewers/win/legacy_code_page.h"

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

// Text going in or coming out whole, as the control asks for it or hands it over.
struct BufferCookie {
  std::string bytes;
  std::size_t at = 0;
  // Bytes per character unit: a buffer handed in holds whole units only, since the control reads
  // each buffer as text of its own.
  std::size_t unit = 1;
};

DWORD CALLBACK BufferReadCallback(DWORD_PTR cookie, LPBYTE buffer, LONG capacity, LONG* count) {
  auto* c = reinterpret_cast<BufferCookie*>(cookie);
  std::size_t n = std::min(c->bytes.size() - c->at, static_cast<std::size_t>(std::max<LONG>(0, capacity)));
  n -= n % c->unit;
  std::copy_n(c->bytes.data() + c->at, n, reinterpret_cast<char*>(buffer));
  c->at += n;
  *count = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK BufferWriteCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* count) {
  reinterpret_cast<BufferCookie*>(cookie)->bytes.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
  *count = size;
  return 0;
}

// Streams COOKIE's bytes in with FLAGS.
bool StreamBufferIn(HWND window, BufferCookie& cookie, WPARAM flags) {
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &BufferReadCallback};
  SendMessageA(window, EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&edit_stream));
  return edit_stream.dwError == 0;
}

// The control's text streamed out with FLAGS.
std::string StreamBufferOut(HWND window, WPARAM flags) {
  BufferCookie cookie;
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &BufferWriteCallback};
  SendMessageA(window, EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&edit_stream));
  return std::move(cookie.bytes);
}

// Rich text goes in whole, its bytes in its own code page made \uN first (see RtfBytesAsUnicode).
bool StreamRichTextIntoControl(HWND window, TReadChunker& chunker, WPARAM flags) {
  BufferCookie cookie;
  try {
    char chunk[1 << 14];
    while (const int n = chunker.Next(chunk, sizeof(chunk))) cookie.bytes.append(chunk, static_cast<std::size_t>(n));
  } catch (...) {
    return false;
  }
  cookie.bytes = RtfBytesAsUnicode(cookie.bytes, UserLegacyCodePage(), [](std::string_view bytes, unsigned code_page) {
    return LegacyCodePage(code_page).Decode(bytes);
  });
  return StreamBufferIn(window, cookie, flags);
}

}  // namespace

bool StreamWideIntoControl(HWND window, std::u16string_view text) {
  BufferCookie cookie;
  cookie.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  cookie.unit = sizeof(char16_t);
  return StreamBufferIn(window, cookie, SF_TEXT | SF_UNICODE);
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
  const std::string bytes = StreamBufferOut(window, SF_TEXT | SF_UNICODE);
  return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / sizeof(char16_t));
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
  if ((flags & SF_RTF) && quota < 0) return StreamRichTextIntoControl(window, chunker, flags);
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
  if (flags & SF_RTF) {
    // Written in UTF-8, the control keeps every character; the file gets the common form in the
    // user's legacy code page (see RtfInCommonForm).
    const std::string rtf = StreamBufferOut(window, (flags & 0xFFFF) | SF_USECODEPAGE | (WPARAM{CP_UTF8} << 16));
    if (rtf.empty()) return false;
    try {
      const std::string common = RtfInCommonForm(rtf, UserLegacyCodePage());
      conversion.ConvertWriteStream(stream, common.data(), static_cast<int>(common.size()));
    } catch (...) {
      return false;
    }
    return true;
  }
  WriteCookie cookie{&conversion, &stream};
  EDITSTREAM edit_stream{reinterpret_cast<DWORD_PTR>(&cookie), 0, &WriteCallback};
  SendMessageA(window, EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&edit_stream));
  return edit_stream.dwError == 0;
}

}  // namespace tw
