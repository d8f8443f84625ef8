#include "framework/win/printer.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

// The character count that EM_FORMATRANGE positions are measured in. At level 1 the text length
// counts CR LF as two characters, as the control's positions do; later controls keep one CR per
// paragraph, so their character count is asked for.
int PrintableLength(HWND window) {
  if (RichEditLevel() == 1) return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  GETTEXTLENGTHEX request{GTL_PRECISE | GTL_NUMCHARS, CP_ACP};
  return static_cast<int>(SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

}  // namespace

void TTwCustomRichEdit::Print(const std::string& caption) {
  HWND window = Handle();
  TPrinter& printer = Printer();
  printer.SetTitle(caption);
  printer.BeginDoc();
  HDC dc = printer.Handle();
  FORMATRANGE range{};
  range.hdc = dc;
  range.hdcTarget = dc;
  const int ppi_x = GetDeviceCaps(dc, LOGPIXELSX);
  const int ppi_y = GetDeviceCaps(dc, LOGPIXELSY);
  if (print_area_.Right <= print_area_.Left || print_area_.Bottom <= print_area_.Top) {
    range.rc = {0, 0, printer.PageWidth() * 1440 / ppi_x, printer.PageHeight() * 1440 / ppi_y};
  } else {
    range.rc = {print_area_.Left * 1440 / ppi_x, print_area_.Top * 1440 / ppi_y,
                print_area_.Right * 1440 / ppi_x, print_area_.Bottom * 1440 / ppi_y};
  }
  range.rcPage = range.rc;
  const int text_length = PrintableLength(window);
  range.chrg.cpMax = -1;
  const int old_map_mode = SetMapMode(dc, MM_TEXT);
  SendMessageA(window, EM_FORMATRANGE, 0, 0);
  auto release = [&] {
    SendMessageA(window, EM_FORMATRANGE, 0, 0);
    SetMapMode(dc, old_map_mode);
  };
  try {
    int last = 0;
    for (;;) {
      range.chrg.cpMin = last;
      const int next = static_cast<int>(SendMessageA(window, EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
      // A page that takes no text would repeat for ever: the text is done.
      const bool more = next < text_length && next != -1 && next > last;
      last = next;
      if (!more) break;
      printer.NewPage();
    }
    printer.EndDoc();
  } catch (...) {
    release();
    if (printer.Printing()) printer.Abort();
    throw;
  }
  release();
}

}  // namespace tw
