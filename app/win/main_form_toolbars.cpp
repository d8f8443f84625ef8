#include "app/win/main_form.h"
#include "framework/win/image_list.h"
#include "framework/win/tool_bar.h"

namespace tw {

TToolBar* TMainForm::NewToolBar(const char* name, TWinControl* parent) {
  auto* bar = new TToolBar(this);
  bar->SetName(name);
  bar->SetParent(parent);
  bar->SetAlign(alTop);
  bar->SetFlat(true);
  bar->SetImages(ImageList1);
  bar->SetHotImages(ImageList2);
  return bar;
}

TToolButton* TMainForm::AddButton(TToolBar* bar, const char* name, const char* hint, TGlyph glyph,
                                  THandler handler) {
  auto* button = new TToolButton(this);
  button->SetName(name);
  button->SetParent(bar);
  button->SetHint(hint);
  button->SetImageIndex(static_cast<int>(glyph));
  if (handler) button->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
  return button;
}

void TMainForm::AddSeparator(TToolBar* bar, const char* name) {
  auto* separator = new TToolButton(this);
  separator->SetName(name);
  separator->SetStyle(tbsSeparator);
  separator->SetParent(bar);
}

void TMainForm::CreateCommandToolBar() {
  TToolBar* bar = ToolBar1;
  ToolButton1 = AddButton(bar, "ToolButton1", "Cut", TGlyph::Cut, &TMainForm::ToolButton1Click);
  ToolButton2 = AddButton(bar, "ToolButton2", "Copy", TGlyph::Copy, &TMainForm::ToolButton2Click);
  ToolButton3 = AddButton(bar, "ToolButton3", "Paste", TGlyph::Paste, &TMainForm::ToolButton3Click);
  ToolButton4 = AddButton(bar, "ToolButton4", "Delete", TGlyph::Delete, &TMainForm::ToolButton4Click);
  AddSeparator(bar, "ToolButton6");
  ToolButton7 = AddButton(bar, "ToolButton7", "Print", TGlyph::Print, &TMainForm::ToolButton7Click);
  ToolButton8 = AddButton(bar, "ToolButton8", "Create Folder", TGlyph::NewFolder, &TMainForm::ToolButton8Click);
  AddSeparator(bar, "ToolButton23");
  ToolButton9 = AddButton(bar, "ToolButton9", "Network Connections", TGlyph::NetConnect,
                          &TMainForm::ToolButton9Click);
  ToolButton10 = AddButton(bar, "ToolButton10", "Remove Network Connections", TGlyph::NetDisconnect,
                           &TMainForm::ToolButton10Click);
  AddSeparator(bar, "ToolButton24");
  ToolButton11 = AddButton(bar, "ToolButton11", "Properties", TGlyph::Properties, &TMainForm::ToolButton11Click);
  ToolButton12 = AddButton(bar, "ToolButton12", "Create Connection", TGlyph::CreateShortcut,
                           &TMainForm::ToolButton12Click);
  ToolButton13 = AddButton(bar, "ToolButton13", "Connect", TGlyph::Connect, &TMainForm::ToolButton13Click);
  AddSeparator(bar, "ToolButton25");
  // The preview dispatch reads this toggle; it has no handler of its own.
  ToolButton39 = AddButton(bar, "ToolButton39", "Explore", TGlyph::Explore, nullptr);
  ToolButton39->SetStyle(tbsCheck);
  ToolButton39->SetCaption("Explore");
  ToolButton39->SetDown(true);
  AddSeparator(bar, "ToolButton26");
  ToolButton36 = AddButton(bar, "ToolButton36", "About", TGlyph::About, &TMainForm::ToolButton36Click);
}

void TMainForm::CreateViewToolBar() {
  TToolBar* bar = ToolBar3;
  ToolButton14 = AddButton(bar, "ToolButton14", "Go Up", TGlyph::GoUp, &TMainForm::ToolButton14Click);
  AddSeparator(bar, "ToolButton27");
  ToolButton15 = AddButton(bar, "ToolButton15", "Big icons", TGlyph::BigIcons, &TMainForm::ToolButton15Click);
  ToolButton16 = AddButton(bar, "ToolButton16", "Small icons", TGlyph::SmallIcons, &TMainForm::ToolButton16Click);
  ToolButton17 = AddButton(bar, "ToolButton17", "List", TGlyph::List, &TMainForm::ToolButton17Click);
  ToolButton18 = AddButton(bar, "ToolButton18", "Full report", TGlyph::Report, &TMainForm::ToolButton18Click);
  for (TToolButton* view : {ToolButton15, ToolButton16, ToolButton17, ToolButton18}) {
    view->SetStyle(tbsCheck);
    view->SetGrouped(true);
  }
  ToolButton15->SetDown(true);
  AddSeparator(bar, "ToolButton34");
  ToolButton19 = AddButton(bar, "ToolButton19", "Sort by name", TGlyph::SortByName, &TMainForm::ToolButton19Click);
  ToolButton20 = AddButton(bar, "ToolButton20", "Sort by size", TGlyph::SortBySize, &TMainForm::ToolButton20Click);
  ToolButton21 = AddButton(bar, "ToolButton21", "Sort by time", TGlyph::SortByTime, &TMainForm::ToolButton21Click);
  ToolButton22 = AddButton(bar, "ToolButton22", "Sort by type", TGlyph::SortByType, &TMainForm::ToolButton22Click);
}

void TMainForm::CreateTextToolBar() {
  TToolBar* bar = ToolBar4;
  ToolButton28 = AddButton(bar, "ToolButton28", "Clear", TGlyph::Clear, &TMainForm::ToolButton28Click);
  ToolButton29 = AddButton(bar, "ToolButton29", "Open", TGlyph::Open, &TMainForm::ToolButton29Click);
  ToolButton30 = AddButton(bar, "ToolButton30", "Save", TGlyph::Save, &TMainForm::ToolButton30Click);
  ToolButton31 = AddButton(bar, "ToolButton31", "Print", TGlyph::Print, &TMainForm::ToolButton31Click);
  AddSeparator(bar, "ToolButton37");
  ToolButton32 = AddButton(bar, "ToolButton32", "Find", TGlyph::Find, &TMainForm::ToolButton32Click);
  ToolButton5 = AddButton(bar, "ToolButton5", "Replace", TGlyph::Replace, &TMainForm::ToolButton5Click);
  AddSeparator(bar, "ToolButton38");
  ToolButton33 = AddButton(bar, "ToolButton33", "Undo", TGlyph::Undo, &TMainForm::ToolButton33Click);
  ToolButton35 = AddButton(bar, "ToolButton35", "Redo", TGlyph::Redo, &TMainForm::ToolButton35Click);
}

}  // namespace tw
