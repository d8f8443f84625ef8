#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "framework/win/para_attributes.h"
#include "framework/win/text_attributes.h"
#include "tests/viewers/win/rich_edit_test_support.h"
#include "viewers/win/para_attributes.h"
#include "viewers/win/text_attributes.h"

namespace tw {
namespace {

class RichEditAttributesTest : public test::RichEditTest {
protected:
  void SetUp() override {
    RichEditTest::SetUp();
    edit_->SetPlainText(false);
    edit_->SetText("first words\rsecond");
    edit_->SetSelection(0, 5, false);
  }

  CHARFORMAT2A SelectionFormat() {
    CHARFORMAT2A format{};
    format.cbSize = sizeof(format);
    SendMessageA(edit_->Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
  }
  PARAFORMAT2 ParagraphFormat() {
    PARAFORMAT2 format{};
    format.cbSize = sizeof(format);
    SendMessageA(edit_->Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format;
  }
};

TEST_F(RichEditAttributesTest, ColourGoesThroughTheAutomaticColourEffect) {
  TTwTextAttributes& selection = edit_->SelectionAttributes();
  selection.SetColor(clRed);
  EXPECT_EQ(SelectionFormat().crTextColor, RGB(255, 0, 0));
  EXPECT_FALSE(SelectionFormat().dwEffects & CFE_AUTOCOLOR);
  EXPECT_EQ(selection.Color(), clRed);
  // The window-text and the default colour both become the control's automatic colour.
  for (TColor automatic : {clWindowText, clDefault}) {
    selection.SetColor(clBlue);
    selection.SetColor(automatic);
    EXPECT_TRUE(SelectionFormat().dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(selection.Color(), clWindowText);
  }
  // A system colour other than window text goes as its RGB value.
  selection.SetColor(clBtnFace);
  EXPECT_EQ(SelectionFormat().crTextColor, ColorToRGB(clBtnFace));
  EXPECT_FALSE(SelectionFormat().dwEffects & CFE_AUTOCOLOR);
}

TEST_F(RichEditAttributesTest, NameStyleAndCharsetReachOnlyTheSelection) {
  TTwTextAttributes& selection = edit_->SelectionAttributes();
  const std::string long_name(40, 'F');
  selection.SetName(long_name);
  EXPECT_EQ(selection.Name(), long_name.substr(0, 31)) << "the record holds 31 characters";
  selection.SetName("Courier New");
  selection.SetStyle(1 << fsBold | 1 << fsStrikeOut);
  selection.SetCharset(SYMBOL_CHARSET);
  EXPECT_EQ(selection.Name(), "Courier New");
  EXPECT_EQ(selection.Style(), 1 << fsBold | 1 << fsStrikeOut);
  EXPECT_EQ(selection.Charset(), SYMBOL_CHARSET);
  // A partial write leaves the other attributes alone.
  selection.SetStyle(1 << fsItalic);
  EXPECT_EQ(selection.Name(), "Courier New");
  EXPECT_EQ(selection.Style(), 1 << fsItalic);
  edit_->SetSelection(6, 8, false);
  EXPECT_EQ(selection.Style(), 0) << "the text after the selection kept its style";
}

TEST_F(RichEditAttributesTest, FontsAndTextAttributesConvertBothWays) {
  TFont font;
  font.SetName("Arial");
  font.SetSize(15);
  font.SetStyle(1 << fsUnderline);
  font.SetColor(clGreen);
  TTwTextAttributes& selection = edit_->SelectionAttributes();
  selection.Assign(font);
  EXPECT_EQ(SelectionFormat().yHeight, 15 * 20);
  TFont back;
  back.Assign(selection);
  EXPECT_EQ(back.Name(), "Arial");
  EXPECT_EQ(back.Size(), 15);
  EXPECT_EQ(back.Style(), 1 << fsUnderline);
  EXPECT_EQ(back.Color(), clGreen);

  TTextAttributes plain;
  plain.Assign(selection);
  EXPECT_EQ(plain.Name(), "Arial");
  EXPECT_EQ(plain.Color(), clGreen);
  plain.SetName("Tahoma");
  plain.SetStyle(1 << fsBold);
  plain.SetColor(clWindowText);
  edit_->WordAttributes().Assign(plain);
  EXPECT_EQ(selection.Name(), "Tahoma");
  EXPECT_EQ(selection.Style(), 1 << fsBold);
  EXPECT_EQ(selection.Color(), clWindowText);
  EXPECT_EQ(selection.Size(), 15) << "text attributes carry no size";

  // Another editor scope's whole format.
  edit_->SetSelection(6, 8, false);
  selection.Assign(edit_->DefaultAttributes());
  EXPECT_EQ(selection.Name(), edit_->Font().Name());
  EXPECT_THROW(selection.Assign(edit_->ParagraphAttributes()), EConvertError);
}

TEST_F(RichEditAttributesTest, IndentsAreInPointsAndNumberingRaisesTheOffset) {
  TTwParaAttributes& paragraph = edit_->ParagraphAttributes();
  paragraph.SetStartIndent(12);
  paragraph.SetRightIndent(7);
  paragraph.SetOffsetIndent(3);
  EXPECT_EQ(ParagraphFormat().dxStartIndent, 240);
  EXPECT_EQ(ParagraphFormat().dxRightIndent, 140);
  EXPECT_EQ(paragraph.StartIndent(), 12);
  EXPECT_EQ(paragraph.RightIndent(), 7);
  EXPECT_EQ(paragraph.OffsetIndent(), 3);
  paragraph.SetNumbering(nsBullet);
  EXPECT_EQ(paragraph.Numbering(), nsBullet);
  EXPECT_EQ(paragraph.OffsetIndent(), 10) << "numbering needs room for its bullet";
  paragraph.SetOffsetIndent(25);
  paragraph.SetNumbering(nsBullet);
  EXPECT_EQ(paragraph.OffsetIndent(), 25) << "a larger offset stays";
  paragraph.SetNumbering(nsNone);
  EXPECT_EQ(paragraph.Numbering(), nsNone);
  EXPECT_EQ(paragraph.OffsetIndent(), 0);
  EXPECT_EQ(paragraph.StartIndent(), 12);
}

TEST_F(RichEditAttributesTest, TabStopsAndJustifiedParagraphsInTheClassLibrarysAttributes) {
  TTwParaAttributes& paragraph = edit_->ParagraphAttributes();
  ASSERT_EQ(paragraph.TabCount(), 0);
  paragraph.SetTab(0, 36);
  EXPECT_EQ(paragraph.TabCount(), 1);
  EXPECT_EQ(paragraph.Tab(0), 36);
  EXPECT_EQ(ParagraphFormat().rgxTabs[0], 720);
  EXPECT_THROW(paragraph.SetTab(32, 1), EListError);
  EXPECT_THROW(paragraph.Tab(-1), EListError);

  paragraph.SetAlignment(raJustify);
  EXPECT_EQ(ParagraphFormat().wAlignment, PFA_JUSTIFY);
  EXPECT_EQ(paragraph.Alignment(), raJustify);
  TParaAttributes copy;
  copy.SetAlignment(taCenter);
  copy.Assign(paragraph);
  EXPECT_EQ(copy.Alignment(), taLeftJustify) << "the class library shows no justified text";
  EXPECT_EQ(copy.TabCount(), 1);
  EXPECT_EQ(copy.Tab(0), 36);

  copy.SetAlignment(taRightJustify);
  copy.SetFirstIndent(5);
  copy.SetLeftIndent(9);
  copy.SetTab(1, 72);
  copy.SetTabCount(2);
  edit_->SetSelection(13, 13, false);
  paragraph.Assign(copy);
  EXPECT_EQ(paragraph.Alignment(), raRightJustify);
  EXPECT_EQ(paragraph.StartIndent(), 5);
  EXPECT_EQ(paragraph.OffsetIndent(), 9);
  EXPECT_EQ(paragraph.TabCount(), 2);
  EXPECT_EQ(paragraph.Tab(1), 72);
  edit_->SetSelection(0, 0, false);
  EXPECT_EQ(paragraph.Alignment(), raJustify) << "only the selected paragraph changed";
}

}  // namespace
}  // namespace tw
