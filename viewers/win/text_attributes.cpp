#include "viewers/win/text_attributes.h"

#include "framework/win/text_attributes.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

constexpr DWORD kStyleMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;

DWORD EffectsOf(TFontStyles style) {
  DWORD effects = 0;
  if (style & (1 << fsBold)) effects |= CFE_BOLD;
  if (style & (1 << fsItalic)) effects |= CFE_ITALIC;
  if (style & (1 << fsUnderline)) effects |= CFE_UNDERLINE;
  if (style & (1 << fsStrikeOut)) effects |= CFE_STRIKEOUT;
  return effects;
}

// The automatic colour stands for the window-text and the default colour; any other colour
// goes to the control as RGB.
void PutColor(CHARFORMAT2A& format, TColor color) {
  format.dwMask |= CFM_COLOR;
  if (color == clWindowText || color == clDefault) {
    format.dwEffects |= CFE_AUTOCOLOR;
  } else {
    format.crTextColor = ColorToRGB(color);
  }
}

void PutName(CHARFORMAT2A& format, const std::string& name) {
  format.dwMask |= CFM_FACE;
  name.copy(format.szFaceName, LF_FACESIZE - 1);
}

// A record of the size the loaded control expects, with nothing masked.
CHARFORMAT2A EmptyCharFormat() {
  CHARFORMAT2A format{};
  format.cbSize = RichEditLevel() >= 2 ? sizeof(CHARFORMAT2A) : sizeof(CHARFORMATA);
  return format;
}

}  // namespace

CHARFORMAT2A TTwTextAttributes::Read() const {
  CHARFORMAT2A format = EmptyCharFormat();
  SendMessageA(editor_.Handle(), EM_GETCHARFORMAT, static_cast<WPARAM>(type_),
               reinterpret_cast<LPARAM>(&format));
  return format;
}

void TTwTextAttributes::Write(CHARFORMAT2A& format) {
  SendMessageA(editor_.Handle(), EM_SETCHARFORMAT, static_cast<WPARAM>(type_),
               reinterpret_cast<LPARAM>(&format));
}

BYTE TTwTextAttributes::Charset() const { return Read().bCharSet; }

void TTwTextAttributes::SetCharset(BYTE value) {
  CHARFORMAT2A format = EmptyCharFormat();
  format.dwMask = CFM_CHARSET;
  format.bCharSet = value;
  Write(format);
}

TColor TTwTextAttributes::Color() const {
  const CHARFORMAT2A format = Read();
  if (format.dwEffects & CFE_AUTOCOLOR) return clWindowText;
  return static_cast<TColor>(format.crTextColor);
}

void TTwTextAttributes::SetColor(TColor value) {
  CHARFORMAT2A format = EmptyCharFormat();
  PutColor(format, value);
  Write(format);
}

std::string TTwTextAttributes::Name() const { return Read().szFaceName; }

void TTwTextAttributes::SetName(const std::string& value) {
  CHARFORMAT2A format = EmptyCharFormat();
  PutName(format, value);
  Write(format);
}

TFontStyles TTwTextAttributes::Style() const {
  const DWORD effects = Read().dwEffects;
  TFontStyles style = 0;
  if (effects & CFE_BOLD) style |= 1 << fsBold;
  if (effects & CFE_ITALIC) style |= 1 << fsItalic;
  if (effects & CFE_UNDERLINE) style |= 1 << fsUnderline;
  if (effects & CFE_STRIKEOUT) style |= 1 << fsStrikeOut;
  return style;
}

void TTwTextAttributes::SetStyle(TFontStyles value) {
  CHARFORMAT2A format = EmptyCharFormat();
  format.dwMask = kStyleMask;
  format.dwEffects = EffectsOf(value);
  Write(format);
}

int TTwTextAttributes::Size() const { return Read().yHeight / 20; }

TFontPitch TTwTextAttributes::Pitch() const {
  switch (Read().bPitchAndFamily & 3) {
    case FIXED_PITCH: return TFontPitch::fpFixed;
    case VARIABLE_PITCH: return TFontPitch::fpVariable;
    default: return TFontPitch::fpDefault;
  }
}

void TTwTextAttributes::AssignFont(TFont& font) {
  CHARFORMAT2A format = EmptyCharFormat();
  format.dwMask = kStyleMask | CFM_SIZE | CFM_CHARSET;
  switch (font.Pitch()) {
    case TFontPitch::fpVariable: format.bPitchAndFamily = VARIABLE_PITCH; break;
    case TFontPitch::fpFixed: format.bPitchAndFamily = FIXED_PITCH; break;
    default: format.bPitchAndFamily = DEFAULT_PITCH; break;
  }
  format.yHeight = font.Size() * 20;
  format.dwEffects = EffectsOf(font.Style());
  PutName(format, font.Name());
  PutColor(format, font.Color());
  format.bCharSet = font.Charset();
  LOGFONTA log_font;
  if (GetObjectA(font.Handle(), sizeof(log_font), &log_font) == sizeof(log_font)) {
    format.dwMask |= CFM_WEIGHT;
    format.wWeight = static_cast<WORD>(log_font.lfWeight);
  }
  Write(format);
}

void TTwTextAttributes::Assign(const TPersistent& source) {
  if (auto* font = dynamic_cast<const TFont*>(&source)) {
    // Reading the font's handle makes it, which changes nothing a reader sees.
    AssignFont(const_cast<TFont&>(*font));
  } else if (auto* attributes = dynamic_cast<const TTextAttributes*>(&source)) {
    // The pitch goes without a setter: the control takes it only with a whole font.
    SetName(attributes->Name());
    SetCharset(attributes->Charset());
    SetStyle(attributes->Style());
    SetColor(attributes->Color());
  } else if (auto* other = dynamic_cast<const TTwTextAttributes*>(&source)) {
    CHARFORMAT2A format = other->Read();
    Write(format);
  } else {
    TPersistent::Assign(source);
  }
}

void TTwTextAttributes::AssignTo(TPersistent& dest) const {
  if (auto* font = dynamic_cast<TFont*>(&dest)) {
    font->SetColor(Color());
    font->SetName(Name());
    font->SetCharset(Charset());
    font->SetStyle(Style());
    font->SetSize(Size());
    font->SetPitch(Pitch());
  } else if (auto* attributes = dynamic_cast<TTextAttributes*>(&dest)) {
    attributes->SetColor(Color());
    attributes->SetName(Name());
    attributes->SetCharset(Charset());
    attributes->SetStyle(Style());
    attributes->SetPitch(Pitch());
  } else {
    TPersistent::AssignTo(dest);
  }
}

}  // namespace tw
