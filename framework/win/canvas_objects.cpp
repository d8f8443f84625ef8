// TFont, TBrush and TPen: attributes, shared font handles and change notification.
#include <map>
#include <tuple>

#include "framework/win/canvas.h"

namespace tw {

COLORREF ColorToRGB(TColor color) {
  const auto value = static_cast<std::uint32_t>(color);
  if (value & 0x80000000u) return GetSysColor(static_cast<int>(value & 0xFF));
  return static_cast<COLORREF>(value & 0x00FFFFFFu);
}

int ScreenPixelsPerInch() {
  static const int pixels_per_inch = [] {
    ScopedWindowDC screen(nullptr);
    int value = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return value > 0 ? value : 96;
  }();
  return pixels_per_inch;
}

int ScaledToDpi(int units, int pixels_per_inch) { return MulDiv(units, pixels_per_inch, 96); }

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// One HFONT per distinct set of attributes, alive while some TFont uses it.
struct TFont::Resource {
  using Key = std::tuple<int, TFontStyles, TFontPitch, BYTE, std::string>;
  Key key;
  ScopedFont handle;

  static std::map<Key, std::weak_ptr<Resource>>& Cache() {
    // Never destroyed: fonts of static objects may be released after every other static.
    static auto* cache = new std::map<Key, std::weak_ptr<Resource>>;
    return *cache;
  }

  static std::shared_ptr<Resource> For(const Key& key) {
    auto& cache = Cache();
    if (auto it = cache.find(key); it != cache.end())
      if (auto shared = it->second.lock()) return shared;
    auto made = std::shared_ptr<Resource>(new Resource{key, ScopedFont()}, [](Resource* r) {
      auto& entries = Cache();
      if (auto it = entries.find(r->key); it != entries.end() && it->second.expired())
        entries.erase(it);
      delete r;
    });
    const auto& [height, style, pitch, charset, name] = key;
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = (style & (1u << fsBold)) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & (1u << fsItalic)) ? TRUE : FALSE;
    lf.lfUnderline = (style & (1u << fsUnderline)) ? TRUE : FALSE;
    lf.lfStrikeOut = (style & (1u << fsStrikeOut)) ? TRUE : FALSE;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = pitch == TFontPitch::fpFixed      ? FIXED_PITCH
                          : pitch == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                            : DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    made->handle.Reset(CreateFontIndirectA(&lf));
    cache[key] = made;
    return made;
  }
};

TFont::TFont() : color_(clWindowText), pixels_per_inch_(ScreenPixelsPerInch()) {}

TFont::~TFont() = default;

void TFont::Modified() {
  // The old handle lives until the change handlers (a canvas selecting the new one) are done.
  auto old = std::move(resource_);
  Changed();
}

void TFont::Assign(const TPersistent& source) {
  if (auto font = dynamic_cast<const TFont*>(&source)) {
    if (font == this) return;
    color_ = font->color_;
    height_ = font->height_;
    name_ = font->name_;
    style_ = font->style_;
    pitch_ = font->pitch_;
    charset_ = font->charset_;
    pixels_per_inch_ = font->pixels_per_inch_;
    resource_ = font->resource_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

bool TFont::SameAttributes(const TFont& other) const {
  return color_ == other.color_ && height_ == other.height_ && name_ == other.name_ &&
         style_ == other.style_ && pitch_ == other.pitch_ && charset_ == other.charset_;
}

void TFont::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  // The colour is no attribute of the GDI font: the handle stays.
  Changed();
}

void TFont::SetHeight(int value) {
  if (height_ == value) return;
  height_ = value;
  Modified();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixels_per_inch_); }

void TFont::SetSize(int value) { SetHeight(-MulDiv(value, pixels_per_inch_, 72)); }

void TFont::SetName(const std::string& value) {
  if (value.empty() || name_ == value) return;
  name_ = value;
  Modified();
}

void TFont::SetStyle(TFontStyles value) {
  if (style_ == value) return;
  style_ = value;
  Modified();
}

void TFont::SetPitch(TFontPitch value) {
  if (pitch_ == value) return;
  pitch_ = value;
  Modified();
}

void TFont::SetCharset(BYTE value) {
  if (charset_ == value) return;
  charset_ = value;
  Modified();
}

HFONT TFont::Handle() {
  if (!resource_) resource_ = Resource::For({height_, style_, pitch_, charset_, name_});
  return resource_->handle.Get();
}

void TFont::SetHandle(HFONT handle) {
  LOGFONTA lf{};
  if (!handle || GetObjectA(handle, sizeof(lf), &lf) == 0) return;
  height_ = lf.lfHeight;
  style_ = static_cast<TFontStyles>((lf.lfWeight >= FW_BOLD ? 1u << fsBold : 0u) |
                                    (lf.lfItalic ? 1u << fsItalic : 0u) |
                                    (lf.lfUnderline ? 1u << fsUnderline : 0u) |
                                    (lf.lfStrikeOut ? 1u << fsStrikeOut : 0u));
  const BYTE pitch = lf.lfPitchAndFamily & 3;
  pitch_ = pitch == FIXED_PITCH      ? TFontPitch::fpFixed
           : pitch == VARIABLE_PITCH ? TFontPitch::fpVariable
                                     : TFontPitch::fpDefault;
  charset_ = lf.lfCharSet;
  if (lf.lfFaceName[0]) name_ = lf.lfFaceName;
  Modified();
}

TBrush::TBrush() : color_(clWhite) {}

void TBrush::Modified() {
  ScopedBrush old = std::move(handle_);
  Changed();
}

void TBrush::Assign(const TPersistent& source) {
  if (auto brush = dynamic_cast<const TBrush*>(&source)) {
    if (brush == this) return;
    color_ = brush->color_;
    style_ = brush->style_;
    Modified();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (color_ == value && style_ != TBrushStyle::bsClear) return;
  color_ = value;
  // A colour given to a clear brush means the caller wants it painted.
  if (style_ == TBrushStyle::bsClear) style_ = TBrushStyle::bsSolid;
  Modified();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (style_ == value) return;
  style_ = value;
  Modified();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    LOGBRUSH lb{};
    lb.lbColor = ColorToRGB(color_);
    switch (style_) {
      case TBrushStyle::bsSolid: lb.lbStyle = BS_SOLID; break;
      case TBrushStyle::bsClear: lb.lbStyle = BS_HOLLOW; break;
      default:
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = static_cast<int>(style_) - static_cast<int>(TBrushStyle::bsHorizontal);
        break;
    }
    handle_.Reset(CreateBrushIndirect(&lb));
  }
  return handle_.Get();
}

TPen::TPen() : color_(clBlack) {}

void TPen::Modified() {
  ScopedPen old = std::move(handle_);
  Changed();
}

void TPen::Assign(const TPersistent& source) {
  if (auto pen = dynamic_cast<const TPen*>(&source)) {
    if (pen == this) return;
    color_ = pen->color_;
    width_ = pen->width_;
    style_ = pen->style_;
    Modified();
    return;
  }
  TPersistent::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  Modified();
}

void TPen::SetWidth(int value) {
  if (width_ == value || value < 0) return;
  width_ = value;
  Modified();
}

void TPen::SetStyle(TPenStyle value) {
  if (style_ == value) return;
  style_ = value;
  Modified();
}

HPEN TPen::Handle() {
  if (!handle_) {
    static constexpr int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                      PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN lp{};
    lp.lopnStyle = kStyles[static_cast<int>(style_)];
    lp.lopnWidth.x = width_;
    lp.lopnColor = ColorToRGB(color_);
    handle_.Reset(CreatePenIndirect(&lp));
  }
  return handle_.Get();
}

}  // namespace tw
