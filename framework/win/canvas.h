#pragma once
// GDI drawing objects and the canvas that draws with them. TFont, TBrush and TPen describe a
// GDI object by attributes and make its handle on demand; every change of an attribute frees
// the handle and raises OnChange. Fonts with equal attributes share one handle, so a copy of a
// font (Assign) selects the very same HFONT as its original.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/colors.h"
#include "framework/events.h"
#include "framework/persistent.h"
#include "framework/types.h"
#include "framework/win/handles.h"

namespace tw {

class TGraphic;

// The RGB value of a colour: system colours (high bit set) become the system's current colour.
COLORREF ColorToRGB(TColor color);

// The screen's logical pixels per inch (vertical).
int ScreenPixelsPerInch();
// UNITS given at 96 pixels per inch, in pixels at PIXELS_PER_INCH.
int ScaledToDpi(int units, int pixels_per_inch);

class TGraphicsObject : public TPersistent {
public:
  TNotifyEvent OnChange;

protected:
  void Changed();
};

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// Bit i is TFontStyle i.
using TFontStyles = std::uint8_t;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
public:
  TFont();
  ~TFont() override;

  std::string ClassName() const override { return "TFont"; }
  void Assign(const TPersistent& source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Character height in pixels (negative) or cell height (positive), as in LOGFONT.
  int Height() const { return height_; }
  void SetHeight(int value);
  // Point size at PixelsPerInch.
  int Size() const;
  void SetSize(int value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE value);
  int PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int value) { pixels_per_inch_ = value; }

  // The shared font handle; it stays valid while this font keeps its attributes.
  HFONT Handle();
  // Takes the attributes of an existing font; HANDLE itself stays its owner's.
  void SetHandle(HFONT handle);

  bool SameAttributes(const TFont& other) const;

private:
  struct Resource;
  void Modified();

  TColor color_;
  int height_ = -11;
  std::string name_ = "MS Sans Serif";
  TFontStyles style_ = 0;
  TFontPitch pitch_ = TFontPitch::fpDefault;
  BYTE charset_ = DEFAULT_CHARSET;
  int pixels_per_inch_;
  std::shared_ptr<Resource> resource_;
};

enum class TBrushStyle {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

class TBrush : public TGraphicsObject {
public:
  TBrush();

  std::string ClassName() const override { return "TBrush"; }
  void Assign(const TPersistent& source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  HBRUSH Handle();

private:
  void Modified();

  TColor color_;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  ScopedBrush handle_;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
public:
  TPen();

  std::string ClassName() const override { return "TPen"; }
  void Assign(const TPersistent& source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int Width() const { return width_; }
  void SetWidth(int value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  HPEN Handle();

private:
  void Modified();

  TColor color_;
  int width_ = 1;
  TPenStyle style_ = TPenStyle::psSolid;
  ScopedPen handle_;
};

// Draws on a device context with its own font, brush and pen, which are selected into the
// context whenever it is used and again after each of their changes. A canvas over a handle it
// does not own (SetHandle) gives the context back with the original objects selected.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  std::string ClassName() const override { return "TCanvas"; }

  // The device context, made by CreateHandle when none is set; fails with EInvalidOperation
  // "Canvas does not allow drawing" when there is none to be had.
  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }
  // Copies the attributes of the given objects.
  void SetFont(const TFont& value) { font_.Assign(value); }
  void SetBrush(const TBrush& value) { brush_.Assign(value); }
  void SetPen(const TPen& value) { pen_.Assign(value); }

  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void Rectangle(int left, int top, int right, int bottom);
  void Ellipse(int left, int top, int right, int bottom);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  TPoint PenPos();
  void TextOut(int x, int y, const std::string& text);
  // Draws TEXT at (x, y) clipped to RECT, with the rectangle filled by the brush first unless
  // the brush is clear.
  void TextRect(const TRect& rect, int x, int y, const std::string& text);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);

  // Draws GRAPHIC at its own size with its top-left corner at (x, y).
  void Draw(int x, int y, TGraphic& graphic);
  // Draws GRAPHIC stretched into RECT.
  void StretchDraw(const TRect& rect, TGraphic& graphic);
  // Copies SOURCE_RECT of SOURCE stretched into DEST.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& source_rect);
  // Copies SOURCE_RECT of SOURCE into DEST leaving the pixels of KEY_COLOR untouched.
  void TransparentCopy(const TRect& dest, TCanvas& source, const TRect& source_rect,
                       TColor key_color);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Called when a handle is asked for and none is set; derived canvases make one here.
  virtual void CreateHandle() {}
  void Changing();
  void Changed();

private:
  void SelectObjects();
  void DeselectObjects();

  HDC dc_ = nullptr;
  HGDIOBJ original_font_ = nullptr;
  HGDIOBJ original_brush_ = nullptr;
  HGDIOBJ original_pen_ = nullptr;
  TFont font_;
  TBrush brush_;
  TPen pen_;
};

}  // namespace tw
