#pragma once
// TParaAttributes: the paragraph attributes of rich text (alignment, indents in points,
// numbering, 32 tab stops) as a value that rich text controls assign to and from.

#include <array>
#include <string>

#include "framework/persistent.h"
#include "framework/win/control.h"

namespace tw {

// nsBullet is the only numbering every rich text control knows.
enum class TNumberingStyle { nsNone, nsBullet };
using enum TNumberingStyle;

class TParaAttributes : public TPersistent {
public:
  static constexpr int MaxTabs = 32;

  std::string ClassName() const override { return "TParaAttributes"; }
  void Assign(const TPersistent& source) override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { alignment_ = value; }
  // The first line's indent from the left margin.
  int FirstIndent() const { return first_indent_; }
  void SetFirstIndent(int value) { first_indent_ = value; }
  // The indent of the lines after the first, relative to the first line's.
  int LeftIndent() const { return left_indent_; }
  void SetLeftIndent(int value) { left_indent_ = value; }
  int RightIndent() const { return right_indent_; }
  void SetRightIndent(int value) { right_indent_ = value; }
  TNumberingStyle Numbering() const { return numbering_; }
  void SetNumbering(TNumberingStyle value) { numbering_ = value; }
  // Tab stop INDEX (0 to 31), in points; other indexes raise EListError.
  int Tab(int index) const;
  void SetTab(int index, int value);
  int TabCount() const { return tab_count_; }
  void SetTabCount(int value);

private:
  TAlignment alignment_ = taLeftJustify;
  int first_indent_ = 0;
  int left_indent_ = 0;
  int right_indent_ = 0;
  TNumberingStyle numbering_ = nsNone;
  std::array<int, MaxTabs> tabs_{};
  int tab_count_ = 0;
};

// Raises EListError for a tab index outside 0 to 31.
void CheckTabIndex(int index);

}  // namespace tw
