#pragma once
// TTextAttributes: the character attributes of rich text (colour, face name, character set,
// style, pitch) as a value that rich text controls assign to and from.

#include <string>

#include "framework/colors.h"
#include "framework/persistent.h"
#include "framework/win/canvas.h"

namespace tw {

class TTextAttributes : public TPersistent {
public:
  std::string ClassName() const override { return "TTextAttributes"; }
  void Assign(const TPersistent& source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE value) { charset_ = value; }
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value) { style_ = value; }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value) { pitch_ = value; }

private:
  TColor color_ = clWindowText;
  std::string name_;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontStyles style_ = 0;
  TFontPitch pitch_ = TFontPitch::fpDefault;
};

}  // namespace tw
