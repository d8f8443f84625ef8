#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/application.h"
#include "framework/win/form.h"
#include "framework/win/main_menu.h"
#include "framework/win/ole_in_place_frame.h"
#include "framework/win/panel.h"

namespace tw {
namespace {

// A shown form with a menu bar: "File" (Open Ctrl+O, Save Ctrl+Shift+S, a line, Exit without a
// shortcut) and "Edit" (Copy Ctrl+C, a hidden Find Ctrl+F).
class OleInPlaceFrameTest : public ::testing::Test {
protected:
  void SetUp() override {
    OleInitialize(nullptr);
    form_ = new TForm(nullptr);
    form_->SetBounds(100, 100, 500, 400);
    menu_ = new TMainMenu(form_);
    TMenuItem* file = AddItem(menu_->Items(), "&File", 0);
    open_ = AddItem(file, "&Open", scCtrl | 'O');
    AddItem(file, "&Save", scCtrl | scShift | 'S');
    AddItem(file, "-", 0);
    AddItem(file, "E&xit", 0);
    TMenuItem* edit = AddItem(menu_->Items(), "&Edit", 0);
    AddItem(edit, "&Copy", scCtrl | 'C');
    AddItem(edit, "&Find", scCtrl | 'F')->SetVisible(false);
    open_->OnClick = [this](TObject*) { ++opened_; };
    form_->SetMenu(menu_);
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    OleUninitialize();
  }

  TMenuItem* AddItem(TMenuItem* parent, const std::string& caption, TShortCut short_cut) {
    auto* item = new TMenuItem(menu_);
    item->SetCaption(caption);
    item->SetShortCut(short_cut);
    parent->Add(item);
    return item;
  }

  TForm* form_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TMenuItem* open_ = nullptr;
  int opened_ = 0;
};

TEST_F(OleInPlaceFrameTest, MenuShortcutsMakeAnAcceleratorTableOfTheItemsCommands) {
  ASSERT_EQ(GetMenu(form_->Handle()), menu_->Handle());
  int count = -1;
  HACCEL table = menu_->CreateAccelTable(count);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(count, 3) << "visible items with a shortcut";
  std::vector<ACCEL> entries(count);
  ASSERT_EQ(CopyAcceleratorTableA(table, entries.data(), count), count);
  DestroyAcceleratorTable(table);
  EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FCONTROL);
  EXPECT_EQ(entries[0].key, 'O');
  EXPECT_EQ(entries[0].cmd, open_->Command());
  EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FCONTROL | FSHIFT);

  // The command of an entry runs its item, from the menu bar as from the frame.
  SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(entries[0].cmd, 1), 0);
  EXPECT_EQ(opened_, 1);
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  MSG key{};
  EXPECT_EQ(frame->TranslateAccelerator(&key, entries[0].cmd), S_OK);
  EXPECT_EQ(opened_, 2);
  open_->SetEnabled(false);
  EXPECT_EQ(frame->TranslateAccelerator(&key, entries[0].cmd), S_FALSE);
  EXPECT_EQ(frame->TranslateAccelerator(&key, 999), S_FALSE);
  EXPECT_EQ(opened_, 2);
}

TEST_F(OleInPlaceFrameTest, FrameIsTheFormsWindowAndOutlivesTheFormSafely) {
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  EXPECT_EQ(form_->OleInPlaceFrame(), frame);
  HWND window = nullptr;
  ASSERT_EQ(frame->GetWindow(&window), S_OK);
  EXPECT_EQ(window, form_->Handle());
  ComPtr<IOleInPlaceUIWindow> document;
  ASSERT_EQ(frame->QueryInterface(IID_IOleInPlaceUIWindow, document.ReceiveVoid()), S_OK);
  EXPECT_EQ(static_cast<void*>(document.Get()), static_cast<void*>(frame));
  document = nullptr;
  // The form's own reference and the one taken here.
  EXPECT_EQ(frame->AddRef(), 2u);

  delete form_;
  form_ = nullptr;
  EXPECT_EQ(frame->GetWindow(&window), E_FAIL);
  EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), E_UNEXPECTED);
  EXPECT_EQ(frame->SetBorderSpace(nullptr), E_UNEXPECTED);
  EXPECT_EQ(frame->Release(), 0u);
}

TEST_F(OleInPlaceFrameTest, BorderSpaceForAnObjectsToolsShrinksTheAlignedClientArea) {
  auto* panel = new TPanel(form_);
  panel->SetParent(form_);
  panel->SetAlign(alClient);
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  RECT border{};
  ASSERT_EQ(frame->GetBorder(&border), S_OK);
  EXPECT_EQ(border.right - border.left, form_->ClientRect().right);

  const BORDERWIDTHS tools{0, 24, 10, 0};
  EXPECT_EQ(frame->RequestBorderSpace(&tools), S_OK);
  ASSERT_EQ(frame->SetBorderSpace(&tools), S_OK);
  EXPECT_EQ(panel->Top(), 24);
  EXPECT_EQ(panel->Width(), border.right - 10);
  const BORDERWIDTHS too_tall{0, border.bottom, 0, 0};
  EXPECT_EQ(frame->RequestBorderSpace(&too_tall), INPLACE_E_NOTOOLSPACE);
  EXPECT_EQ(frame->SetBorderSpace(&too_tall), OLE_E_INVALIDRECT);
  EXPECT_EQ(panel->Top(), 24) << "a refused request changes nothing";
  ASSERT_EQ(frame->SetBorderSpace(nullptr), S_OK);
  EXPECT_EQ(panel->Top(), 0);
  EXPECT_EQ(panel->Width(), border.right);
}

TEST_F(OleInPlaceFrameTest, SharedMenuBorrowsTheMenuBarsEntriesAndGivesThemBack) {
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  HMENU bar = menu_->Handle();
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{};
  ASSERT_EQ(frame->InsertMenus(shared, &widths), S_OK);
  EXPECT_EQ(widths.width[0], 2);
  EXPECT_EQ(widths.width[2], 0);
  EXPECT_EQ(widths.width[4], 0);
  // The object's own entry, as a server adds it after the container's groups.
  HMENU object_menu = CreatePopupMenu();
  AppendMenuA(object_menu, MF_STRING, 100, "&Format");
  AppendMenuA(shared, MF_POPUP, reinterpret_cast<UINT_PTR>(object_menu), "F&ormat");
  ASSERT_EQ(GetMenuItemCount(shared), 3);
  EXPECT_EQ(GetSubMenu(shared, 0), GetSubMenu(bar, 0));
  char text[32] = "";
  GetMenuStringA(shared, 1, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ(text, "&Edit");

  HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
  ASSERT_NE(descriptor, nullptr);
  ASSERT_EQ(frame->SetMenu(shared, descriptor, form_->Handle()), S_OK);
  EXPECT_EQ(GetMenu(form_->Handle()), shared);
  ASSERT_EQ(frame->RemoveMenus(shared), S_OK);
  ASSERT_EQ(GetMenuItemCount(shared), 1) << "only the object's entry stays";
  EXPECT_EQ(GetSubMenu(shared, 0), object_menu);
  ASSERT_EQ(frame->SetMenu(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(GetMenu(form_->Handle()), bar);
  OleDestroyMenuDescriptor(descriptor);
  DestroyMenu(shared);
  // The menu bar's own submenus survived the shared menu.
  EXPECT_TRUE(IsMenu(GetSubMenu(bar, 0)));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 4);
}

TEST_F(OleInPlaceFrameTest, FormWithoutMenuLendsNothing) {
  form_->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{{7, 7, 7, 7, 7, 7}};
  ASSERT_EQ(frame->InsertMenus(shared, &widths), S_OK);
  EXPECT_EQ(widths.width[0], 0);
  EXPECT_EQ(GetMenuItemCount(shared), 0);
  DestroyMenu(shared);
  // A menu freed while its form shows it leaves the form without a menu bar, not a freed one.
  form_->SetMenu(menu_);
  delete menu_;
  EXPECT_EQ(form_->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
}

}  // namespace
}  // namespace tw
