#include "app/win/main_form.h"

#include <type_traits>

#include "framework/win/file_dialogs.h"
#include "framework/win/image.h"
#include "framework/win/image_list.h"
#include "framework/win/page_control.h"
#include "framework/win/panel.h"
#include "framework/win/scroll_box.h"
#include "framework/win/splitter.h"
#include "framework/win/status_bar.h"
#include "framework/win/tool_bar.h"
#include "shell/win/shell_combo.h"
#include "shell/win/shell_list.h"
#include "shell/win/shell_tree.h"
#include "viewers/win/picture_player.h"
#include "viewers/win/rich_edit.h"

namespace tw {

namespace {

// A new component named NAME owned by OWNER; a control also goes onto PARENT.
template <class T>
T* Make(TComponent* owner, const char* name, TWinControl* parent) {
  T* component = new T(owner);
  component->SetName(name);
  if constexpr (std::is_base_of_v<TControl, T>) {
    if (parent) component->SetParent(parent);
  }
  return component;
}

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("MainForm");
  SetCaption("Tarnwick 1.1");
  SetBounds(Scaled(200), Scaled(108), Scaled(587), Scaled(412));
  Font().SetName("MS Sans Serif");
  SetShowHint(true);

  ImageList1 = Make<TImageList>(this, "ImageList1", nullptr);
  ImageList2 = Make<TImageList>(this, "ImageList2", nullptr);
  OpenDialog1 = Make<TOpenDialog>(this, "OpenDialog1", nullptr);
  SaveDialog = Make<TSaveDialog>(this, "SaveDialog", nullptr);
  // "Save" proposes the last previewed file even when the editor holds an opened one: replacing
  // an existing file must be confirmed.
  SaveDialog->SetOptions(SaveDialog->Options() | ofOverwritePrompt);

  CreateLayout();
  CreateCommandToolBar();
  CreateViewToolBar();
  CreateTextToolBar();
  ScaleLayout();
  SetWindowState(wsMaximized);
  CreateFormStorage();
  // The load step runs once every component exists, as for a form read from a stream: the
  // links settle and the stored layout's lines find their components. (A component made after
  // BeginLoad would not be loading and would get no Loaded step.)
  BeginLoad();
  EndLoad();
}

void TMainForm::CreateLayout() {
  // Created in the order they take their edges: the command toolbar above everything, the
  // status bar below, the tree pane on the left, its splitter, then the rest.
  ToolBar1 = NewToolBar("ToolBar1", this);

  StatusBar1 = Make<TStatusBar>(this, "StatusBar1", this);

  // The tree pane: the bar that holds the path combo, and the folder tree under it.
  Panel1 = Make<TPanel>(this, "Panel1", this);
  Panel1->SetAlign(alLeft);
  Panel1->SetWidth(Scaled(kTreePaneWidth));
  ToolBar2 = Make<TToolBar>(this, "ToolBar2", Panel1);
  ToolBar2->SetAlign(alTop);
  PTShellCombo1 = Make<TPTShellCombo>(this, "PTShellCombo1", ToolBar2);
  Panel1->OnResize = [this](TObject* sender) { Panel1Resize(sender); };
  PTShellTree1 = Make<TPTShellTree>(this, "PTShellTree1", Panel1);
  PTShellTree1->SetAlign(alClient);
  PTShellTree1->SetShowRoot(false);
  PTShellTree1->SetParentColor(false);

  Splitter1 = Make<TSplitter>(this, "Splitter1", this);
  Splitter1->SetAlign(alLeft);
  Splitter1->SetLeft(Panel1->Width());
  Splitter1->SetCursor(crHSplit);

  Panel2 = Make<TPanel>(this, "Panel2", this);
  Panel2->SetAlign(alClient);

  Panel3 = Make<TPanel>(this, "Panel3", Panel2);
  Panel3->SetAlign(alTop);
  Panel3->SetHeight(Scaled(kListPaneHeight));
  ToolBar3 = NewToolBar("ToolBar3", Panel3);
  PTShellList1 = Make<TPTShellList>(this, "PTShellList1", Panel3);
  PTShellList1->SetAlign(alClient);
  PTShellList1->SetReadOnly(false);
  PTShellList1->IconOptions().SetAutoArrange(true);
  PTShellList1->SetMultiSelect(true);
  PTShellList1->OnChange = [this](TObject* sender, TListItem* item, TItemChange change) {
    PTShellList1Change(sender, item, change);
  };
  // A folder of any size, or one slow to answer, never holds up the window: the list shows the
  // items as they are read, and the status bar how many have come.
  PTShellList1->SetFillsInBackground(true);
  PTShellList1->OnFillProgress = [this](TObject*) { ShowStatus(); };
  // Nor does a folder the user opens in the tree: its subfolders are read likewise.
  PTShellTree1->SetFillsInBackground(true);
  // The combo moves the tree and the tree the list; the window never sets a folder itself.
  PTShellTree1->SetShellList(PTShellList1);
  PTShellCombo1->SetShellTree(PTShellTree1);

  Splitter2 = Make<TSplitter>(this, "Splitter2", Panel2);
  Splitter2->SetAlign(alTop);
  Splitter2->SetTop(Panel3->Height());
  Splitter2->SetCursor(crVSplit);

  Panel4 = Make<TPanel>(this, "Panel4", Panel2);
  Panel4->SetAlign(alClient);

  PageControl1 = Make<TPageControl>(this, "PageControl1", Panel4);
  PageControl1->SetAlign(alClient);
  PageControl1->SetTabPosition(tpBottom);

  TabSheet1 = Make<TTabSheet>(this, "TabSheet1", nullptr);
  TabSheet1->SetPageControl(PageControl1);
  TabSheet1->SetCaption("Text");
  ToolBar4 = NewToolBar("ToolBar4", TabSheet1);
  CreateEditor();

  TabSheet2 = Make<TTabSheet>(this, "TabSheet2", nullptr);
  TabSheet2->SetPageControl(PageControl1);
  TabSheet2->SetCaption("Graphics");
  ScrollBox1 = Make<TScrollBox>(this, "ScrollBox1", TabSheet2);
  ScrollBox1->SetAlign(alClient);
  Image = Make<TImage>(this, "Image", ScrollBox1);
  Image->SetAutoSize(true);
  // Animated GIFs shown on the page play.
  new TPicturePlayer(this, Image);

  PageControl1->SetActivePage(TabSheet1);
}

void TMainForm::ScaleLayout() {
  Font().SetHeight(-Scaled(11));
  Edit->Font().SetHeight(-Scaled(11));
  // The toolbars take the new glyphs when their button sizes change below.
  FillGlyphLists(*ImageList1, *ImageList2, PixelsPerInch());
  for (TToolBar* bar : {ToolBar1, ToolBar3, ToolBar4}) {
    // Separators first: the bar takes their widths when the button size rebuilds it.
    for (int i = 0; i < bar->ButtonCount(); ++i)
      if (bar->Buttons(i)->Style() == tbsSeparator) bar->Buttons(i)->SetWidth(Scaled(8));
    bar->SetHeight(Scaled(33));
    bar->SetButtonWidth(Scaled(33));
    bar->SetButtonHeight(Scaled(31));
  }
  StatusBar1->SetHeight(Scaled(19));
  ToolBar2->SetHeight(Scaled(26));
  PTShellCombo1->SetBounds(0, 0, Panel1->Width() - Scaled(5), Scaled(22));
  PTShellCombo1->SetIndentPixels(Scaled(12));
  PTShellTree1->SetIndent(Scaled(19));
  Splitter1->SetWidth(Scaled(3));
  Splitter2->SetHeight(Scaled(3));
  for (TSplitter* splitter : {Splitter1, Splitter2}) splitter->SetMinSize(Scaled(30));
  Image->SetLeft(Scaled(8));
  Image->SetTop(Scaled(8));
}

void TMainForm::DpiChanged(int old_pixels_per_inch) {
  // The panes keep the share of the window the user gave them.
  Panel1->SetWidth(MulDiv(Panel1->Width(), PixelsPerInch(), old_pixels_per_inch));
  Panel3->SetHeight(MulDiv(Panel3->Height(), PixelsPerInch(), old_pixels_per_inch));
  ScaleLayout();
}

}  // namespace tw
