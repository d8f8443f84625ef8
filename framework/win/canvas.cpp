#include "framework/win/canvas.h"

#include "framework/exception.h"
#include "framework/graphic.h"
#include "framework/string_table.h"
#include "framework/win/wide_text.h"

namespace tw {

TCanvas::TCanvas() {
  auto reselect = [this](TObject*) {
    if (dc_) SelectObjects();
  };
  font_.OnChange = reselect;
  brush_.OnChange = reselect;
  pen_.OnChange = reselect;
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidOperation(LoadStr(SNoCanvasHandle));
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc_ == dc) return;
  if (dc_) DeselectObjects();
  dc_ = dc;
  if (dc_) SelectObjects();
}

void TCanvas::SelectObjects() {
  HGDIOBJ font = SelectObject(dc_, font_.Handle());
  HGDIOBJ brush = SelectObject(dc_, brush_.Handle());
  HGDIOBJ pen = SelectObject(dc_, pen_.Handle());
  if (!original_font_) {
    original_font_ = font;
    original_brush_ = brush;
    original_pen_ = pen;
  }
  SetTextColor(dc_, ColorToRGB(font_.Color()));
  SetBkColor(dc_, ColorToRGB(brush_.Color()));
  SetBkMode(dc_, brush_.Style() == TBrushStyle::bsClear ? TRANSPARENT : OPAQUE);
}

void TCanvas::DeselectObjects() {
  // Our objects must leave the context before they can ever be deleted.
  if (original_font_) SelectObject(dc_, original_font_);
  if (original_brush_) SelectObject(dc_, original_brush_);
  if (original_pen_) SelectObject(dc_, original_pen_);
  original_font_ = original_brush_ = original_pen_ = nullptr;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::FillRect(const TRect& rect) {
  HDC dc = Handle();
  Changing();
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FillRect(dc, &r, brush_.Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  HDC dc = Handle();
  Changing();
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FrameRect(dc, &r, brush_.Handle());
  Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  HDC dc = Handle();
  Changing();
  ::Rectangle(dc, left, top, right, bottom);
  Changed();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  HDC dc = Handle();
  Changing();
  ::Ellipse(dc, left, top, right, bottom);
  Changed();
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  HDC dc = Handle();
  Changing();
  ::LineTo(dc, x, y);
  Changed();
}

TPoint TCanvas::PenPos() {
  POINT p{};
  GetCurrentPositionEx(Handle(), &p);
  return TPoint{p.x, p.y};
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  HDC dc = Handle();
  Changing();
  // GDI's 8-bit calls read the system's code page, never the process's: text goes in wide.
  const std::wstring wide = ToWide(text);
  ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
  Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text) {
  HDC dc = Handle();
  Changing();
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  UINT options = ETO_CLIPPED;
  if (brush_.Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  const std::wstring wide = ToWide(text);
  ExtTextOutW(dc, x, y, options, &r, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE size{};
  const std::wstring wide = ToWide(text);
  GetTextExtentPoint32W(Handle(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

TColor TCanvas::Pixel(int x, int y) { return static_cast<TColor>(GetPixel(Handle(), x, y)); }

void TCanvas::SetPixel(int x, int y, TColor color) {
  HDC dc = Handle();
  Changing();
  ::SetPixel(dc, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.Empty()) return;
  StretchDraw(TRect{x, y, x + graphic.Width(), y + graphic.Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic& graphic) {
  if (graphic.Empty()) return;
  Handle();
  Changing();
  graphic.Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& source_rect) {
  HDC dc = Handle();
  HDC source_dc = source.Handle();
  Changing();
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top, source_dc,
             source_rect.Left, source_rect.Top, source_rect.Right - source_rect.Left,
             source_rect.Bottom - source_rect.Top, SRCCOPY);
  Changed();
}

void TCanvas::TransparentCopy(const TRect& dest, TCanvas& source, const TRect& source_rect,
                              TColor key_color) {
  HDC dc = Handle();
  HDC source_dc = source.Handle();
  Changing();
  TransparentBlt(dc, dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top,
                 source_dc, source_rect.Left, source_rect.Top,
                 source_rect.Right - source_rect.Left, source_rect.Bottom - source_rect.Top,
                 ColorToRGB(key_color));
  Changed();
}

}  // namespace tw
