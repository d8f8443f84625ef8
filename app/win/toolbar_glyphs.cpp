#include "app/win/toolbar_glyphs.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "framework/win/canvas.h"
#include "framework/win/handles.h"
#include "framework/win/image_list.h"
#include "framework/win/os_error.h"

namespace tw {

namespace {

constexpr int kScale = 4;
// A pixel is drawn when at least this many of its kScale * kScale samples are covered.
constexpr int kMinCoverage = 6;
constexpr COLORREF kNone = 0xFFFFFFFF;

// The palette of the glyphs.
constexpr COLORREF kInk = RGB(40, 44, 60);
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kPaperLine = RGB(120, 130, 160);
constexpr COLORREF kSteel = RGB(120, 126, 140);
constexpr COLORREF kLightSteel = RGB(196, 200, 210);
constexpr COLORREF kFolder = RGB(246, 204, 82);
constexpr COLORREF kFolderDark = RGB(214, 162, 40);
constexpr COLORREF kFolderEdge = RGB(150, 100, 20);
constexpr COLORREF kRed = RGB(214, 40, 40);
constexpr COLORREF kDarkRed = RGB(130, 20, 20);
constexpr COLORREF kBlue = RGB(52, 104, 200);
constexpr COLORREF kDarkBlue = RGB(24, 50, 120);
constexpr COLORREF kGlass = RGB(176, 216, 246);
constexpr COLORREF kGreen = RGB(44, 160, 64);
constexpr COLORREF kDarkGreen = RGB(20, 96, 36);
constexpr COLORREF kBrown = RGB(176, 120, 56);
constexpr COLORREF kDarkBrown = RGB(104, 64, 24);
constexpr COLORREF kOrange = RGB(238, 140, 30);
constexpr COLORREF kStar = RGB(255, 224, 40);
constexpr COLORREF kPink = RGB(240, 136, 156);

struct TPt {
  double x, y;
};

// Draws in glyph co-ordinates at 96 pixels per inch (0..22 by 0..20, edges of pixels) on the
// enlarged canvas of the glyph at its density, so that every line is drawn at the size shown.
// Outlines of rectangles and ellipses lie inside their bounds; lines run through the points.
class TGlyphPainter {
public:
  TGlyphPainter(HDC dc, bool hot, int pixels_per_inch)
      : dc_(dc), hot_(hot), scale_(kScale * pixels_per_inch / 96.0) {}

  // Normal glyphs are half-way to grey; hot ones keep their colours.
  COLORREF Tone(COLORREF c) const {
    if (hot_) return c;
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    int grey = (r * 30 + g * 59 + b * 11) / 100;
    auto mix = [grey](int v) { return (v + grey) / 2 + (255 - (v + grey) / 2) / 8; };
    return RGB(mix(r), mix(g), mix(b));
  }

  void Line(std::initializer_list<TPt> points, COLORREF color, double width) {
    ScopedPen pen(MakePen(color, width, PS_ENDCAP_ROUND | PS_JOIN_ROUND));
    HGDIOBJ old = SelectObject(dc_, pen.Get());
    std::vector<POINT> pts = Scaled(points);
    Polyline(dc_, pts.data(), static_cast<int>(pts.size()));
    SelectObject(dc_, old);
  }

  void Polygon(std::initializer_list<TPt> points, COLORREF fill, COLORREF outline, double width = 1) {
    std::vector<POINT> pts = Scaled(points);
    if (fill != kNone) {
      ScopedBrush brush(CreateSolidBrush(Tone(fill)));
      HGDIOBJ old_brush = SelectObject(dc_, brush.Get());
      HGDIOBJ old_pen = SelectObject(dc_, GetStockObject(NULL_PEN));
      ::Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
      SelectObject(dc_, old_pen);
      SelectObject(dc_, old_brush);
    }
    if (outline != kNone) {
      pts.push_back(pts.front());
      ScopedPen pen(MakePen(outline, width, PS_ENDCAP_ROUND | PS_JOIN_MITER));
      HGDIOBJ old = SelectObject(dc_, pen.Get());
      Polyline(dc_, pts.data(), static_cast<int>(pts.size()));
      SelectObject(dc_, old);
    }
  }

  void Rect(double l, double t, double r, double b, COLORREF fill, COLORREF outline, double width = 1) {
    Shape(&::Rectangle, l, t, r, b, fill, outline, width);
  }
  void Ellipse(double l, double t, double r, double b, COLORREF fill, COLORREF outline, double width = 1) {
    Shape(&::Ellipse, l, t, r, b, fill, outline, width);
  }

  // An arc of the ellipse in L, T, R, B drawn counter-clockwise from the ray towards FROM to
  // the ray towards TO.
  void Arc(double l, double t, double r, double b, TPt from, TPt to, COLORREF color, double width) {
    ScopedPen pen(MakePen(color, width, PS_ENDCAP_ROUND));
    HGDIOBJ old = SelectObject(dc_, pen.Get());
    ::Arc(dc_, Sc(l), Sc(t), Sc(r), Sc(b), Sc(from.x), Sc(from.y), Sc(to.x), Sc(to.y));
    SelectObject(dc_, old);
  }

  // TEXT centred in the box, in a bold face HEIGHT pixels high.
  void Text(double l, double t, double r, double b, const char* text, double height, COLORREF color) {
    ScopedFont font(CreateFontA(-Sc(height), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                            ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                            NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial"));
    HGDIOBJ old = SelectObject(dc_, font.Get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, Tone(color));
    RECT box{Sc(l), Sc(t), Sc(r), Sc(b)};
    DrawTextA(dc_, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc_, old);
  }

private:
  HPEN MakePen(COLORREF color, double width, DWORD style) {
    LOGBRUSH brush{BS_SOLID, Tone(color), 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | style, std::max(1, Sc(width)), &brush, 0, nullptr);
  }

  int Sc(double v) const { return static_cast<int>(std::lround(v * scale_)); }

  std::vector<POINT> Scaled(std::initializer_list<TPt> points) const {
    std::vector<POINT> result;
    for (const TPt& p : points) result.push_back({Sc(p.x), Sc(p.y)});
    return result;
  }

  void Shape(BOOL(WINAPI* draw)(HDC, int, int, int, int), double l, double t, double r, double b,
             COLORREF fill, COLORREF outline, double width) {
    ScopedBrush brush(fill == kNone ? nullptr : CreateSolidBrush(Tone(fill)));
    ScopedPen pen(outline == kNone ? nullptr : MakePen(outline, width, PS_INSIDEFRAME | PS_JOIN_MITER));
    HGDIOBJ old_brush = SelectObject(dc_, brush ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
    HGDIOBJ old_pen = SelectObject(dc_, pen ? static_cast<HGDIOBJ>(pen.Get()) : GetStockObject(NULL_PEN));
    // Without a pen GDI leaves out the right and bottom edges; add them back.
    int grow = pen ? 0 : 1;
    draw(dc_, Sc(l), Sc(t), Sc(r) + grow, Sc(b) + grow);
    SelectObject(dc_, old_pen);
    SelectObject(dc_, old_brush);
  }

  HDC dc_;
  bool hot_;
  double scale_;
};

// Pieces shared by several glyphs.

void Sheet(TGlyphPainter& p, double l, double t, double r, double b, bool lines) {
  p.Rect(l, t, r, b, kPaper, kInk);
  if (!lines) return;
  for (double y = t + 3.5; y < b - 2; y += 3) p.Line({{l + 2.5, y}, {r - 2.5, y}}, kPaperLine, 1);
}

void Folder(TGlyphPainter& p, double l, double t, double r, double b) {
  p.Polygon({{l, t + 2}, {l, t}, {l + 5, t}, {l + 7, t + 2}}, kFolderDark, kFolderEdge);
  p.Rect(l, t + 2, r, b, kFolder, kFolderEdge);
  p.Line({{l + 1.5, t + 3.5}, {r - 1.5, t + 3.5}}, RGB(255, 236, 160), 1);
}

void Printer(TGlyphPainter& p) {
  Sheet(p, 6, 1, 16, 9, false);
  p.Rect(2, 8, 20, 16, kLightSteel, kInk);
  p.Line({{3, 9.5}, {19, 9.5}}, kPaper, 1);
  p.Rect(5, 12, 17, 13.5, kInk, kNone);
  p.Ellipse(16, 10, 18, 12, kGreen, kNone);
  p.Rect(6, 13, 16, 19, kPaper, kInk);
  p.Line({{8, 15.5}, {14, 15.5}}, kPaperLine, 1);
}

// The down arrow of the sort glyphs, on the right.
void SortArrow(TGlyphPainter& p) {
  p.Line({{17.5, 2}, {17.5, 13}}, kInk, 1.6);
  p.Polygon({{14, 12.5}, {21, 12.5}, {17.5, 18.5}}, kInk, kNone);
}

void Plug(TGlyphPainter& p, double l) {
  p.Rect(l, 6, l + 6, 15, kBlue, kDarkBlue);
  p.Rect(l + 6, 7.5, l + 9, 9, kSteel, kNone);
  p.Rect(l + 6, 12, l + 9, 13.5, kSteel, kNone);
}

void Socket(TGlyphPainter& p, double l) { p.Rect(l, 5, l + 6, 16, kGreen, kDarkGreen); }

void Draw(TGlyphPainter& p, TGlyph glyph) {
  switch (glyph) {
    case TGlyph::Cut:
      p.Line({{6.5, 1.5}, {14, 12.5}}, kSteel, 1.8);
      p.Line({{15.5, 1.5}, {8, 12.5}}, kSteel, 1.8);
      p.Ellipse(10, 6.5, 12, 8.5, kInk, kNone);
      p.Ellipse(3, 11.5, 10, 18.5, kNone, kRed, 1.8);
      p.Ellipse(12, 11.5, 19, 18.5, kNone, kRed, 1.8);
      break;
    case TGlyph::Copy:
      Sheet(p, 2, 1, 13, 15, true);
      Sheet(p, 8, 5, 19, 19, true);
      break;
    case TGlyph::Paste:
      p.Rect(3, 3, 16, 19, kBrown, kDarkBrown);
      p.Rect(7, 1, 12, 5, kLightSteel, kInk);
      Sheet(p, 9, 7, 20, 19, true);
      break;
    case TGlyph::Delete:
      p.Line({{5, 4}, {17, 16}}, kDarkRed, 4.4);
      p.Line({{17, 4}, {5, 16}}, kDarkRed, 4.4);
      p.Line({{5, 4}, {17, 16}}, kRed, 2.8);
      p.Line({{17, 4}, {5, 16}}, kRed, 2.8);
      break;
    case TGlyph::Print:
      Printer(p);
      break;
    case TGlyph::NewFolder:
      Folder(p, 1, 6, 16, 18);
      p.Polygon({{16.5, 0.5}, {17.7, 3.4}, {20.8, 3.6}, {18.4, 5.6}, {19.2, 8.7}, {16.5, 7},
                 {13.8, 8.7}, {14.6, 5.6}, {12.2, 3.6}, {15.3, 3.4}},
                kStar, kOrange);
      break;
    case TGlyph::NetConnect:
      p.Line({{0.5, 10.5}, {3, 10.5}}, kInk, 1.6);
      Plug(p, 3);
      Socket(p, 12);
      p.Line({{18, 10.5}, {21.5, 10.5}}, kInk, 1.6);
      break;
    case TGlyph::NetDisconnect:
      Plug(p, 1);
      Socket(p, 15);
      p.Line({{10.5, 15}, {14, 18.5}}, kRed, 1.6);
      p.Line({{14, 15}, {10.5, 18.5}}, kRed, 1.6);
      break;
    case TGlyph::Properties:
      p.Rect(3, 1, 19, 19, kPaper, kInk);
      p.Rect(3, 1, 19, 5, kBlue, kDarkBlue);
      for (double y : {7.0, 11.0, 15.0}) {
        p.Rect(5, y, 8, y + 3, kPaper, kInk);
        p.Line({{5.8, y + 1.5}, {6.5, y + 2.3}, {7.9, y + 0.3}}, kGreen, 1);
        p.Line({{10, y + 1.5}, {16.5, y + 1.5}}, kPaperLine, 1);
      }
      break;
    case TGlyph::CreateShortcut:
      Sheet(p, 6, 1, 18, 19, true);
      p.Rect(2, 10, 11, 19, kPaper, kInk);
      p.Line({{4.5, 16.5}, {4.8, 14.2}, {6.5, 13}, {8.3, 13}}, kBlue, 1.3);
      p.Polygon({{7.5, 10.9}, {10, 13}, {7.5, 15.1}}, kBlue, kNone);
      break;
    case TGlyph::Connect:
      p.Ellipse(1, 5.5, 13, 14.5, kNone, kSteel, 2);
      p.Ellipse(9, 5.5, 21, 14.5, kNone, kInk, 2);
      p.Arc(1, 5.5, 13, 14.5, {13, 12}, {13, 6}, kSteel, 2);
      break;
    case TGlyph::Explore:
      p.Line({{12, 11}, {19, 18}}, kDarkBrown, 4.2);
      p.Line({{12.5, 11.5}, {18.8, 17.8}}, kBrown, 2.6);
      p.Ellipse(1.5, 1, 14, 13.5, kGlass, kInk, 1.6);
      p.Arc(4, 3.5, 11.5, 11, {6, 3.5}, {4, 7}, kPaper, 1.2);
      break;
    case TGlyph::About:
      p.Ellipse(2, 1, 20, 19, kBlue, kDarkBlue, 1.2);
      p.Text(2, 1, 20, 19.5, "?", 14, kPaper);
      break;
    case TGlyph::GoUp:
      Folder(p, 1, 7, 15, 18);
      p.Polygon({{15.5, 1}, {21, 7}, {18, 7}, {18, 13}, {13, 13}, {13, 7}, {10, 7}}, kGreen, kDarkGreen);
      break;
    case TGlyph::BigIcons:
      for (double y : {1.0, 11.0})
        for (double x : {2.0, 12.0}) p.Rect(x, y, x + 8, y + 8, kBlue, kDarkBlue);
      break;
    case TGlyph::SmallIcons:
      for (double y : {2.0, 8.0, 14.0})
        for (double x : {1.0, 12.0}) {
          p.Rect(x, y, x + 4, y + 4, kBlue, kDarkBlue);
          p.Line({{x + 5.5, y + 2}, {x + 8.5, y + 2}}, kInk, 1);
        }
      break;
    case TGlyph::List:
      for (double y : {1.5, 6.0, 10.5, 15.0}) {
        p.Rect(3, y, 6.5, y + 3.5, kBlue, kNone);
        p.Line({{8.5, y + 1.8}, {19, y + 1.8}}, kInk, 1);
      }
      break;
    case TGlyph::Report:
      p.Rect(1, 2, 21, 18, kPaper, kInk);
      p.Rect(1, 2, 21, 6, kLightSteel, kInk);
      for (double y : {8.5, 11.5, 14.5}) p.Line({{2.5, y}, {19.5, y}}, kPaperLine, 1);
      for (double x : {8.5, 14.5}) p.Line({{x, 2.5}, {x, 17.5}}, kInk, 1);
      break;
    case TGlyph::SortByName:
      p.Text(0, -0.5, 13, 9.5, "A", 10, kBlue);
      p.Text(0, 9.5, 13, 19.5, "Z", 10, kDarkBlue);
      SortArrow(p);
      break;
    case TGlyph::SortBySize:
      p.Rect(1, 13, 4.5, 19, kOrange, kDarkBrown);
      p.Rect(5.5, 8, 9, 19, kOrange, kDarkBrown);
      p.Rect(10, 2, 13.5, 19, kOrange, kDarkBrown);
      SortArrow(p);
      break;
    case TGlyph::SortByTime:
      p.Ellipse(0.5, 2, 14.5, 16, kPaper, kInk, 1.4);
      p.Line({{7.5, 9}, {7.5, 4.5}}, kInk, 1.3);
      p.Line({{7.5, 9}, {11, 9}}, kRed, 1.3);
      SortArrow(p);
      break;
    case TGlyph::SortByType:
      p.Ellipse(3, 0.5, 9, 6.5, kRed, kDarkRed);
      p.Rect(3, 7, 9, 13, kGreen, kDarkGreen);
      p.Polygon({{6, 13.5}, {9.5, 19.5}, {2.5, 19.5}}, kBlue, kDarkBlue);
      SortArrow(p);
      break;
    case TGlyph::Clear:
      Sheet(p, 2, 1, 14, 17, false);
      p.Polygon({{9, 15}, {15.5, 8.5}, {20.5, 13.5}, {14, 20}}, kPink, kDarkRed);
      p.Polygon({{9, 15}, {11.8, 12.2}, {16.8, 17.2}, {14, 20}}, kBlue, kDarkBlue);
      break;
    case TGlyph::Open:
      p.Polygon({{1, 18}, {1, 3}, {6, 3}, {8, 5}, {16, 5}, {16, 9}}, kFolderDark, kFolderEdge);
      p.Polygon({{1, 18}, {5, 9}, {21, 9}, {17, 18}}, kFolder, kFolderEdge);
      break;
    case TGlyph::Save:
      p.Rect(2, 1, 20, 19, kBlue, kDarkBlue);
      p.Rect(5, 1, 17, 9, kPaper, kDarkBlue);
      p.Line({{7, 4.5}, {15, 4.5}}, kPaperLine, 1);
      p.Rect(6, 12, 16, 19, kLightSteel, kDarkBlue);
      p.Rect(12, 13.5, 14, 17.5, kDarkBlue, kNone);
      break;
    case TGlyph::Find:
      p.Rect(3, 3, 8.5, 12, kInk, kNone);
      p.Rect(13.5, 3, 19, 12, kInk, kNone);
      p.Rect(8, 6, 14, 10, kSteel, kInk);
      p.Ellipse(1, 9, 10.5, 18.5, kInk, kNone);
      p.Ellipse(11.5, 9, 21, 18.5, kInk, kNone);
      p.Ellipse(3, 11, 8.5, 16.5, kGlass, kNone);
      p.Ellipse(13.5, 11, 19, 16.5, kGlass, kNone);
      break;
    case TGlyph::Replace:
      p.Text(0, -1, 10, 10, "a", 11, kBlue);
      p.Text(11, 8.5, 22, 19.5, "b", 11, kRed);
      p.Line({{5, 11}, {5, 15.5}, {9, 15.5}}, kInk, 1.4);
      p.Polygon({{8.5, 13}, {11.5, 15.5}, {8.5, 18}}, kInk, kNone);
      break;
    case TGlyph::Undo:
    case TGlyph::Redo:
      p.Arc(3.5, 4, 19, 19.5, {19, 15}, {3.5, 12}, kDarkBlue, 3.6);
      p.Arc(3.5, 4, 19, 19.5, {19, 15}, {3.5, 12}, kBlue, 2);
      p.Polygon({{0.5, 10}, {8, 10}, {4.3, 16}}, kBlue, kDarkBlue);
      break;
    case TGlyph::Count:
      break;
  }
}

COLORREF Blend(std::uint32_t sum_r, std::uint32_t sum_g, std::uint32_t sum_b, int covered, COLORREF face) {
  constexpr int n = kScale * kScale;
  auto mix = [&](std::uint32_t sum, int face_part) {
    return static_cast<int>((sum + static_cast<std::uint32_t>(face_part * (n - covered)) + n / 2) / n);
  };
  return RGB(mix(sum_r, GetRValue(face)), mix(sum_g, GetGValue(face)), mix(sum_b, GetBValue(face)));
}

// A top-down 32-bit DIB section of WIDTH x HEIGHT; BITS receives its pixels.
ScopedBitmap TopDownSection(int width, int height, std::uint32_t*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  ScopedBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!section) RaiseLastOSError();
  bits = static_cast<std::uint32_t*>(pixels);
  return section;
}

std::uint32_t Packed(COLORREF c) {
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

}  // namespace

SIZE GlyphSize(int pixels_per_inch) {
  return {ScaledToDpi(kGlyphWidth, pixels_per_inch), ScaledToDpi(kGlyphHeight, pixels_per_inch)};
}

TGlyphPixels RenderGlyph(TGlyph glyph, bool hot, COLORREF face, int pixels_per_inch) {
  const SIZE size = GlyphSize(pixels_per_inch);
  const int width = size.cx, height = size.cy;
  const int canvas_width = width * kScale;
  std::uint32_t* samples = nullptr;
  ScopedBitmap canvas = TopDownSection(canvas_width, height * kScale, samples);
  const std::uint32_t key = Packed(kGlyphTransparent);
  std::fill(samples, samples + canvas_width * height * kScale, key);

  {
    ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) RaiseLastOSError();
    HGDIOBJ old = SelectObject(dc.Get(), canvas.Get());
    TGlyphPainter painter(dc.Get(), hot, pixels_per_inch);
    Draw(painter, glyph);
    GdiFlush();
    SelectObject(dc.Get(), old);
  }

  // Redo is Undo turned around.
  const bool mirrored = glyph == TGlyph::Redo;
  TGlyphPixels pixels(width * height, key);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t r = 0, g = 0, b = 0;
      int covered = 0;
      for (int sy = 0; sy < kScale; ++sy) {
        for (int sx = 0; sx < kScale; ++sx) {
          std::uint32_t s = samples[(y * kScale + sy) * canvas_width + x * kScale + sx] & 0xFFFFFF;
          if (s == key) continue;
          ++covered;
          r += s >> 16;
          g += (s >> 8) & 0xFF;
          b += s & 0xFF;
        }
      }
      if (covered < kMinCoverage) continue;
      std::uint32_t value = Packed(Blend(r, g, b, covered, face));
      // A blended edge must never come out as the transparent colour itself.
      if (value == key) value ^= 0x000100;
      pixels[y * width + (mirrored ? width - 1 - x : x)] = value;
    }
  }
  return pixels;
}

void FillGlyphLists(TCustomImageList& normal, TCustomImageList& hot, int pixels_per_inch) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const SIZE size = GlyphSize(pixels_per_inch);
  for (auto [list, is_hot] : {std::pair{&normal, false}, std::pair{&hot, true}}) {
    list->SetSize(size.cx, size.cy);
    list->Clear();
    for (int i = 0; i < kGlyphCount; ++i) {
      TGlyphPixels pixels = RenderGlyph(static_cast<TGlyph>(i), is_hot, face, pixels_per_inch);
      std::uint32_t* bits = nullptr;
      ScopedBitmap image = TopDownSection(size.cx, size.cy, bits);
      std::copy(pixels.begin(), pixels.end(), bits);
      GdiFlush();
      if (list->AddMasked(image.Get(), kGlyphTransparent) < 0) RaiseLastOSError();
    }
  }
}

}  // namespace tw
