#include "viewers/win/para_attributes.h"

#include <algorithm>

#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

constexpr LONG kTwipsPerPoint = 20;
// Room for a bullet: the least offset indent of a numbered paragraph.
constexpr LONG kNumberingOffset = 10 * kTwipsPerPoint;
// The second-generation control keeps a stop's alignment and leader in the top byte.
constexpr LONG kTabPosition = 0x00FFFFFF;

PARAFORMAT2 EmptyParaFormat() {
  PARAFORMAT2 format{};
  format.cbSize = RichEditLevel() >= 2 ? sizeof(PARAFORMAT2) : sizeof(PARAFORMAT);
  return format;
}

// The first-generation control knows only bullets: any numbering is one there.
WORD LevelNumbering(WORD numbering) { return RichEditLevel() < 2 && numbering != 0 ? PFN_BULLET : numbering; }

TNumberingStyle NumberingOf(const PARAFORMAT2& format) {
  return static_cast<TNumberingStyle>(LevelNumbering(format.wNumbering));
}

}  // namespace

PARAFORMAT2 TTwParaAttributes::Read() const {
  PARAFORMAT2 format = EmptyParaFormat();
  SendMessageA(editor_.Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  return format;
}

void TTwParaAttributes::Write(PARAFORMAT2& format) {
  SendMessageA(editor_.Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

TRichAlignment TTwParaAttributes::Alignment() const {
  return static_cast<TRichAlignment>(Read().wAlignment - 1);
}

void TTwParaAttributes::SetAlignment(TRichAlignment value) {
  PARAFORMAT2 format = EmptyParaFormat();
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = static_cast<WORD>(static_cast<int>(value) + 1);
  Write(format);
}

TNumberingStyle TTwParaAttributes::Numbering() const {
  return NumberingOf(Read());
}

void TTwParaAttributes::SetNumbering(TNumberingStyle value) {
  PARAFORMAT2 format = EmptyParaFormat();
  format.dwMask = PFM_NUMBERING | PFM_OFFSET;
  format.wNumbering = LevelNumbering(static_cast<WORD>(value));
  format.dxOffset = format.wNumbering == 0 ? 0 : std::max(Read().dxOffset, kNumberingOffset);
  Write(format);
}

void TTwParaAttributes::WriteIndent(DWORD mask, LONG PARAFORMAT2::*field, int points) {
  PARAFORMAT2 format = EmptyParaFormat();
  format.dwMask = mask;
  format.*field = points * kTwipsPerPoint;
  Write(format);
}

int TTwParaAttributes::StartIndent() const { return Read().dxStartIndent / kTwipsPerPoint; }
void TTwParaAttributes::SetStartIndent(int value) {
  WriteIndent(PFM_STARTINDENT, &PARAFORMAT2::dxStartIndent, value);
}
int TTwParaAttributes::RightIndent() const { return Read().dxRightIndent / kTwipsPerPoint; }
void TTwParaAttributes::SetRightIndent(int value) {
  WriteIndent(PFM_RIGHTINDENT, &PARAFORMAT2::dxRightIndent, value);
}
int TTwParaAttributes::OffsetIndent() const { return Read().dxOffset / kTwipsPerPoint; }
void TTwParaAttributes::SetOffsetIndent(int value) {
  WriteIndent(PFM_OFFSET, &PARAFORMAT2::dxOffset, value);
}

int TTwParaAttributes::Tab(int index) const {
  CheckTabIndex(index);
  return (Read().rgxTabs[index] & kTabPosition) / kTwipsPerPoint;
}

void TTwParaAttributes::SetTab(int index, int value) {
  CheckTabIndex(index);
  PARAFORMAT2 format = Read();
  format.dwMask = PFM_TABSTOPS;
  format.rgxTabs[index] = value * kTwipsPerPoint;
  format.cTabCount = static_cast<SHORT>(std::max<int>(format.cTabCount, index + 1));
  Write(format);
}

int TTwParaAttributes::TabCount() const { return Read().cTabCount; }

void TTwParaAttributes::Assign(const TPersistent& source) {
  if (auto* attributes = dynamic_cast<const TParaAttributes*>(&source)) {
    PARAFORMAT2 format = EmptyParaFormat();
    format.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_NUMBERING |
                    PFM_TABSTOPS;
    format.wAlignment = static_cast<WORD>(static_cast<int>(attributes->Alignment()) + 1);
    format.dxStartIndent = attributes->FirstIndent() * kTwipsPerPoint;
    format.dxOffset = attributes->LeftIndent() * kTwipsPerPoint;
    format.dxRightIndent = attributes->RightIndent() * kTwipsPerPoint;
    format.wNumbering = LevelNumbering(static_cast<WORD>(attributes->Numbering()));
    for (int i = 0; i < TParaAttributes::MaxTabs; ++i) format.rgxTabs[i] = attributes->Tab(i) * kTwipsPerPoint;
    format.cTabCount = static_cast<SHORT>(attributes->TabCount());
    Write(format);
  } else if (auto* other = dynamic_cast<const TTwParaAttributes*>(&source)) {
    PARAFORMAT2 format = other->Read();
    Write(format);
  } else {
    TPersistent::Assign(source);
  }
}

void TTwParaAttributes::AssignTo(TPersistent& dest) const {
  auto* attributes = dynamic_cast<TParaAttributes*>(&dest);
  if (!attributes) return TPersistent::AssignTo(dest);
  const PARAFORMAT2 format = Read();
  switch (static_cast<TRichAlignment>(format.wAlignment - 1)) {
    case raRightJustify: attributes->SetAlignment(taRightJustify); break;
    case raCenter: attributes->SetAlignment(taCenter); break;
    // The class library's attributes have no justified paragraphs.
    default: attributes->SetAlignment(taLeftJustify); break;
  }
  attributes->SetFirstIndent(format.dxStartIndent / kTwipsPerPoint);
  attributes->SetLeftIndent(format.dxOffset / kTwipsPerPoint);
  attributes->SetRightIndent(format.dxRightIndent / kTwipsPerPoint);
  attributes->SetNumbering(NumberingOf(format));
  for (int i = 0; i < TParaAttributes::MaxTabs; ++i)
    attributes->SetTab(i, (format.rgxTabs[i] & kTabPosition) / kTwipsPerPoint);
  attributes->SetTabCount(format.cTabCount);
}

}  // namespace tw
