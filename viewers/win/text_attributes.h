#pragma once
// TTwTextAttributes: the character format of a text page editor in one scope (the default
// text, the selection, or the selection and the word around it). It keeps no format of its
// own: every read asks the control and every write sends only the attribute written. It
// converts to and from fonts and the class library's text attributes.

#include <windows.h>
#include <richedit.h>

#include <string>

#include "framework/colors.h"
#include "framework/persistent.h"
#include "framework/win/canvas.h"

namespace tw {

class TTwCustomRichEdit;

// The control's scope flags: default text 0, selection 1, selection and word 3.
enum class TAttributeType { atDefaultText = 0, atSelected = 1, atWord = 3 };
using enum TAttributeType;

class TTwTextAttributes : public TPersistent {
public:
  TTwTextAttributes(TTwCustomRichEdit& editor, TAttributeType type) : editor_(editor), type_(type) {}

  std::string ClassName() const override { return "TTwTextAttributes"; }
  // From a font (the whole font at once), from the class library's text attributes (one
  // attribute after the other) or from another editor's attributes (the whole format).
  void Assign(const TPersistent& source) override;

  BYTE Charset() const;
  void SetCharset(BYTE value);
  // The window-text colour while the control's automatic colour is on.
  TColor Color() const;
  void SetColor(TColor value);
  std::string Name() const;
  // Face names are cut to 31 characters.
  void SetName(const std::string& value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles value);
  // Points.
  int Size() const;
  // The control takes a pitch only together with a whole font.
  TFontPitch Pitch() const;

protected:
  void AssignTo(TPersistent& dest) const override;

private:
  CHARFORMAT2A Read() const;
  void Write(CHARFORMAT2A& format);
  void AssignFont(TFont& font);

  TTwCustomRichEdit& editor_;
  TAttributeType type_;
};

}  // namespace tw
