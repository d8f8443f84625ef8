#pragma once
// TMainForm: the program's one window. A tree pane on the left (the path combo above the folder
// tree), the folder list with its view and sort toolbar on the right, and under the list the
// preview with a "Text" page (editor and text toolbar) and a "Graphics" page (a picture in a
// scroll box). The command toolbar on top runs the shell's verbs on the list's selection. The
// combo moves the tree and the tree the list, and each of them moves the others; the window
// never sets a folder itself. The pane sizes, the view and the "Explore" toggle are kept in the
// registry from one run to the next.
//
// The implementation is split by concern: main_form.cpp (components and layout),
// main_form_toolbars.cpp (buttons, hints and glyphs), main_form_commands.cpp (the list's
// commands), main_form_text.cpp (the text page: its editor and commands),
// main_form_preview.cpp (showing the selected file) and main_form_storage.cpp (the stored
// layout).

#include <string>

#include "app/win/toolbar_glyphs.h"
#include "framework/win/form.h"

namespace tw {

class TImage;
class TListItem;
enum class TItemChange;
class TImageList;
class TOpenDialog;
class TPageControl;
class TPanel;
class TPTShellList;
class TPTShellCombo;
class TPTShellTree;
class TFormStorage;
class TSaveDialog;
class TScrollBox;
class TSplitter;
class TStatusBar;
class TTabSheet;
class TToolBar;
class TToolButton;
class TTwRichEdit;

class TMainForm : public TForm {
public:
  explicit TMainForm(TComponent* AOwner);

  std::string ClassName() const override { return "TMainForm"; }

  // The components; the form owns them all.
  TImageList* ImageList1;
  TImageList* ImageList2;
  TToolBar* ToolBar1;
  TToolButton* ToolButton1;
  TToolButton* ToolButton2;
  TToolButton* ToolButton3;
  TToolButton* ToolButton4;
  TToolButton* ToolButton7;
  TToolButton* ToolButton8;
  TToolButton* ToolButton9;
  TToolButton* ToolButton10;
  TToolButton* ToolButton11;
  TToolButton* ToolButton12;
  TToolButton* ToolButton13;
  TToolButton* ToolButton39;
  TToolButton* ToolButton36;
  TPanel* Panel1;
  TToolBar* ToolBar2;
  TPTShellCombo* PTShellCombo1;
  TPTShellTree* PTShellTree1;
  TSplitter* Splitter1;
  TPanel* Panel2;
  TPanel* Panel3;
  TToolBar* ToolBar3;
  TToolButton* ToolButton14;
  TToolButton* ToolButton15;
  TToolButton* ToolButton16;
  TToolButton* ToolButton17;
  TToolButton* ToolButton18;
  TToolButton* ToolButton19;
  TToolButton* ToolButton20;
  TToolButton* ToolButton21;
  TToolButton* ToolButton22;
  TPTShellList* PTShellList1;
  TSplitter* Splitter2;
  TPanel* Panel4;
  TPageControl* PageControl1;
  TTabSheet* TabSheet1;
  TToolBar* ToolBar4;
  TToolButton* ToolButton28;
  TToolButton* ToolButton29;
  TToolButton* ToolButton30;
  TToolButton* ToolButton31;
  TToolButton* ToolButton32;
  TToolButton* ToolButton5;
  TToolButton* ToolButton33;
  TToolButton* ToolButton35;
  TTwRichEdit* Edit;
  TTabSheet* TabSheet2;
  TScrollBox* ScrollBox1;
  TImage* Image;
  TStatusBar* StatusBar1;
  TOpenDialog* OpenDialog1;
  TSaveDialog* SaveDialog;
  TFormStorage* FormStorage1;

  // Command toolbar.
  void ToolButton1Click(TObject* Sender);
  void ToolButton2Click(TObject* Sender);
  void ToolButton3Click(TObject* Sender);
  void ToolButton4Click(TObject* Sender);
  void ToolButton7Click(TObject* Sender);
  void ToolButton8Click(TObject* Sender);
  void ToolButton9Click(TObject* Sender);
  void ToolButton10Click(TObject* Sender);
  void ToolButton11Click(TObject* Sender);
  void ToolButton12Click(TObject* Sender);
  void ToolButton13Click(TObject* Sender);
  void ToolButton36Click(TObject* Sender);
  // View and sort toolbar.
  void ToolButton14Click(TObject* Sender);
  void ToolButton15Click(TObject* Sender);
  void ToolButton16Click(TObject* Sender);
  void ToolButton17Click(TObject* Sender);
  void ToolButton18Click(TObject* Sender);
  void ToolButton19Click(TObject* Sender);
  void ToolButton20Click(TObject* Sender);
  void ToolButton21Click(TObject* Sender);
  void ToolButton22Click(TObject* Sender);
  // Text toolbar.
  void ToolButton28Click(TObject* Sender);
  void ToolButton29Click(TObject* Sender);
  void ToolButton30Click(TObject* Sender);
  void ToolButton31Click(TObject* Sender);
  void ToolButton32Click(TObject* Sender);
  void ToolButton5Click(TObject* Sender);
  void ToolButton33Click(TObject* Sender);
  void ToolButton35Click(TObject* Sender);

  // The tree pane's OnResize: the combo stays 5 pixels (at 96 per inch) narrower than the pane.
  void Panel1Resize(TObject* Sender);
  // FormStorage1's OnRestorePlacement: the first start opens maximised, and a pane whose stored
  // size no splitter can make (a damaged value) gets its design size back.
  void FormStorage1RestorePlacement(TObject* Sender);

  // The list's OnChange: previews the selected file while "Explore" is down.
  void PTShellList1Change(TObject* Sender, TListItem* Item, TItemChange Change);

  // The README that "About" opens: beside the program file.
  static std::string AboutFileName();

private:
  using THandler = void (TMainForm::*)(TObject*);
  // The design sizes of the tree pane and the list pane.
  static constexpr int kTreePaneWidth = 201;
  static constexpr int kListPaneHeight = 192;

  void CreateLayout();
  // Gives every size the window sets itself, at 96 pixels per inch in the code, its size at the
  // window's PixelsPerInch: fonts, glyphs, toolbars, bars, splitters, indents and margins.
  void ScaleLayout();
  void DpiChanged(int old_pixels_per_inch) override;
  void CreateCommandToolBar();
  void CreateViewToolBar();
  void CreateTextToolBar();
  void CreateEditor();
  void CreateFormStorage();
  TToolBar* NewToolBar(const char* name, TWinControl* parent);
  TToolButton* AddButton(TToolBar* bar, const char* name, const char* hint, TGlyph glyph, THandler handler);
  void AddSeparator(TToolBar* bar, const char* name);
  // Loads PATH into the preview as a picture or as text.
  void ShowPreview(const std::string& path);
  // Loads PATH into the editor, titles the editor with it and shows the text page.
  void ShowTextFile(const std::string& path);
  // Loads PATH into the editor and tells in the status bar when the text had to be cut.
  void LoadText(const std::string& path);
  void ShowTextState();
  // The status bar: while the list reads its folder, how many items have come; else the state
  // of the editor's text.
  void ShowStatus();
  // Whether the editor's text may be saved: in its own encoding, or in UTF-8 where the user
  // takes that for a legacy code page that cannot hold it.
  bool TextCanBeSaved();

  // The file last loaded into the editor.
  std::string text_file_;
  // What the status bar says of the editor's text.
  std::string text_state_;
};

}  // namespace tw
