#pragma once
// TTwParaAttributes: the paragraph format of the selected paragraphs of a text page editor:
// alignment, indents and tab stops in points, and numbering. Like the text attributes it asks
// the control on every read and sends only what is written; it converts to and from the class
// library's paragraph attributes.

#include <windows.h>
#include <richedit.h>

#include <string>

#include "framework/persistent.h"
#include "framework/win/para_attributes.h"

namespace tw {

class TTwCustomRichEdit;

// The control's alignments less one: left 0, right 1, centre 2, justify 3.
enum class TRichAlignment { raLeftJustify, raRightJustify, raCenter, raJustify };
using enum TRichAlignment;

class TTwParaAttributes : public TPersistent {
public:
  explicit TTwParaAttributes(TTwCustomRichEdit& editor) : editor_(editor) {}

  std::string ClassName() const override { return "TTwParaAttributes"; }
  // From the class library's paragraph attributes (alignment, indents, numbering, all 32 tab
  // stops in one format) or from another editor's paragraph format (the whole record).
  void Assign(const TPersistent& source) override;

  TRichAlignment Alignment() const;
  void SetAlignment(TRichAlignment value);
  // Numbering off sets the offset indent to 0; numbering on raises it to 10 points at least,
  // so that the bullet stands beside the text.
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle value);
  // Indents in points: the first line's from the margin, the right one, and the offset of the
  // following lines from the first line.
  int StartIndent() const;
  void SetStartIndent(int value);
  int RightIndent() const;
  void SetRightIndent(int value);
  int OffsetIndent() const;
  void SetOffsetIndent(int value);
  // Tab stop INDEX (0 to 31) in points; other indexes raise EListError. Setting a stop beyond
  // the paragraph's count raises the count to include it.
  int Tab(int index) const;
  void SetTab(int index, int value);
  int TabCount() const;

protected:
  void AssignTo(TPersistent& dest) const override;

private:
  PARAFORMAT2 Read() const;
  void Write(PARAFORMAT2& format);
  // Sends one masked field in twips.
  void WriteIndent(DWORD mask, LONG PARAFORMAT2::*field, int points);

  TTwCustomRichEdit& editor_;
};

}  // namespace tw
