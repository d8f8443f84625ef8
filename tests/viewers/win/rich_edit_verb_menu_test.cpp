#include <windows.h>
#include <richedit.h>
#include <richole.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/win/application.h"
#include "framework/win/com_ptr.h"
#include "framework/win/ole_error.h"
#include "framework/win/popup_menu.h"
#include "tests/viewers/win/rich_edit_test_support.h"
#include "tests/support/win/message_box.h"
#include "viewers/win/ole_ui_link_info.h"
#include "viewers/win/ole_ui_obj_info.h"
#include "viewers/win/rich_edit_object.h"
#include "viewers/win/rich_edit_ole_callback.h"

namespace tw {
namespace {

// {6E0B3C41-8A27-4D9E-B5F2-3C8D1A7E2B64}: a class with a type name and verbs in the registry but
// no server, so its objects are the system's default handler and nothing can run them.
constexpr CLSID kTestClass = {0x6e0b3c41, 0x8a27, 0x4d9e, {0xb5, 0xf2, 0x3c, 0x8d, 0x1a, 0x7e, 0x2b, 0x64}};
constexpr char kClassKey[] = "Software\\Classes\\CLSID\\{6E0B3C41-8A27-4D9E-B5F2-3C8D1A7E2B64}";

void SetValue(const std::string& subkey, const std::string& value) {
  HKEY key = nullptr;
  const std::string path = subkey.empty() ? kClassKey : std::string(kClassKey) + "\\" + subkey;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

class RichEditVerbMenuTest : public test::RichEditTest {
protected:
  void SetUp() override {
    RichEditTest::SetUp();
    SetValue("", "Tarnwick Test Object");
    SetValue("AuxUserType\\2", "Test Object");
    popup_ = new TPopupMenu(form_);
    auto* copy = new TMenuItem(popup_);
    copy->SetCaption("Copy");
    popup_->Items()->Add(copy);
  }
  void TearDown() override {
    RichEditTest::TearDown();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassKey);
  }

  // Puts an object of the test class in place of the text and selects it.
  void InsertTestObject() {
    IRichEditOle* ole = edit_->RichEditOle();
    ASSERT_NE(ole, nullptr);
    ComPtr<IOleObject> object;
    ASSERT_EQ(OleCreateDefaultHandler(kTestClass, nullptr, IID_IOleObject, object.ReceiveVoid()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(edit_->OleCallback()->GetNewStorage(storage.Receive()), S_OK);
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(ole->GetClientSite(site.Receive()), S_OK);
    REOBJECT record{};
    record.cbStruct = sizeof(record);
    record.cp = REO_CP_SELECTION;
    record.clsid = kTestClass;
    record.poleobj = object.Get();
    record.pstg = storage.Get();
    record.polesite = site.Get();
    record.sizel = {1000, 1000};
    record.dvaspect = DVASPECT_CONTENT;
    ASSERT_EQ(ole->InsertObject(&record), S_OK);
    edit_->SetSelection(0, 1, false);
    ASSERT_EQ(SendMessageA(edit_->Handle(), EM_SELECTIONTYPE, 0, 0), SEL_OBJECT);
  }

  static std::string Captions(TMenuItem* items) {
    std::string out;
    for (int i = 0; i < items->Count(); ++i) {
      if (i) out += "|";
      out += items->Items(i)->Caption();
      if (items->Items(i)->Default()) out += "*";
    }
    return out;
  }

  TPopupMenu* popup_ = nullptr;
};

TEST_F(RichEditVerbMenuTest, PlainTextWithoutObjectsShowsThePopupMenuAsItIs) {
  edit_->SetText("some text");
  edit_->SetSelection(0, 4, false);
  EXPECT_EQ(edit_->GetPopupMenu(), nullptr);
  edit_->SetPopupMenu(popup_);
  EXPECT_EQ(edit_->GetPopupMenu(), popup_);
  EXPECT_EQ(Captions(popup_->Items()), "Copy");
}

TEST_F(RichEditVerbMenuTest, ObjectWhoseFirstVerbIsNotForTheContainerGetsOnlyItsProperties) {
  SetValue("Verb\\0", "&Play,0,0");
  SetValue("Verb\\1", "&Edit,0,2");
  edit_->SetPlainText(false);
  InsertTestObject();
  EXPECT_EQ(edit_->GetPopupMenu(), nullptr) << "no popup menu and no verbs: nothing to show";
  edit_->SetPopupMenu(popup_);
  EXPECT_EQ(edit_->GetPopupMenu(), popup_);
  EXPECT_EQ(Captions(popup_->Items()), "Copy|-|Tarnwick Test Object Properties");
  // The next request starts from the plain popup menu again.
  edit_->SetSelection(1, 1, false);
  EXPECT_EQ(edit_->GetPopupMenu(), popup_);
  EXPECT_EQ(Captions(popup_->Items()), "Copy");
}

TEST_F(RichEditVerbMenuTest, ContainerVerbsBecomeItemsUpToTheFirstOtherVerb) {
  SetValue("Verb\\0", "&Edit,0,2");
  SetValue("Verb\\1", "&Open,0,2");
  SetValue("Verb\\2", "&Play,0,0");
  SetValue("Verb\\3", "&Later,0,2");
  edit_->SetPlainText(false);
  InsertTestObject();
  TPopupMenu* verbs = edit_->GetPopupMenu();
  ASSERT_NE(verbs, nullptr);
  EXPECT_EQ(Captions(verbs->Items()), "Tarnwick Test Object Properties|&Edit*|&Open");
  EXPECT_EQ(verbs->Items()->Items(2)->Tag(), 1);

  edit_->SetPopupMenu(popup_);
  ASSERT_EQ(edit_->GetPopupMenu(), popup_);
  ASSERT_EQ(Captions(popup_->Items()), "Copy|-|Tarnwick Test Object Properties|Tarnwick Test Object");
  TMenuItem* submenu = popup_->Items()->Items(3);
  EXPECT_EQ(Captions(submenu), "&Edit*|&Open");
  // The class has no server: running a verb fails, and says so.
  EXPECT_THROW(submenu->Items(0)->Click(), EOleError);
}

TEST_F(RichEditVerbMenuTest, PropertiesDialogLearnsTheObjectsNamesAndPlace) {
  edit_->SetPlainText(false);
  InsertTestObject();
  edit_->SetTitle("C:\\docs\\note.rtf");
  const std::string old_title = Application->Title();
  Application->SetTitle("Tarnwick 1.0");
  TRichEditObject selected;
  ASSERT_TRUE(selected.ReadSelected(*edit_->RichEditOle()));
  ComPtr<IOleUIObjInfoA> info(new TOleUIObjInfo(*edit_, selected));
  DWORD size = 0;
  LPSTR label = nullptr, type = nullptr, short_type = nullptr, location = nullptr;
  ASSERT_EQ(info->GetObjectInfo(kSelectedObject, &size, &label, &type, &short_type, &location), S_OK);
  EXPECT_EQ(size, static_cast<DWORD>(-1));
  EXPECT_STREQ(type, "Tarnwick Test Object");
  EXPECT_STREQ(short_type, "Test Object");
  EXPECT_STREQ(location, "C:\\docs\\note.rtf - Tarnwick 1.0");
  for (LPSTR s : {label, type, short_type, location}) CoTaskMemFree(s);
  edit_->SetTitle("");
  ASSERT_EQ(info->GetObjectInfo(kSelectedObject, nullptr, nullptr, nullptr, nullptr, &location), S_OK);
  EXPECT_STREQ(location, "Tarnwick 1.0");
  CoTaskMemFree(location);
  Application->SetTitle(old_title);

  CLSID class_id{};
  ASSERT_EQ(info->GetConvertInfo(kSelectedObject, &class_id, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_TRUE(IsEqualCLSID(class_id, kTestClass));
  DWORD aspect = 0;
  int scale = -1;
  HGLOBAL icon = nullptr;
  ASSERT_EQ(info->GetViewInfo(kSelectedObject, &icon, &aspect, &scale), S_OK);
  EXPECT_EQ(aspect, static_cast<DWORD>(DVASPECT_CONTENT));
  EXPECT_EQ(scale, 0);
  if (icon) {
    auto* picture = static_cast<METAFILEPICT*>(GlobalLock(icon));
    DeleteMetaFile(picture->hMF);
    GlobalUnlock(icon);
    GlobalFree(icon);
  }
}

// Wine 8 makes no link objects (OleCreateLink and OleCreateLinkToFile fail there, and the
// standard link class is not registered): only the link page's refusals, which never reach
// the link, can run here.
TEST_F(RichEditVerbMenuTest, LinkPageRefusesUnvalidatedSourcesAndBreakingInABox) {
  ComPtr<IOleUILinkInfoA> info(new TOleUILinkInfo(*edit_, TRichEditObject(), nullptr));
  const DWORD link = info->GetNextLink(0);
  EXPECT_EQ(info->GetNextLink(link), 0u) << "the selected object is the one link";
  char source[] = "C:\\docs\\sheet.xls!R1C1";
  ULONG eaten = 7;
  test::AnswerNextMessageBox(IDOK);
  EXPECT_EQ(info->SetLinkSource(link, source, 18, &eaten, FALSE), E_FAIL);
  EXPECT_EQ(test::LastAnsweredMessageBox().caption, "Link Properties");
  EXPECT_EQ(test::LastAnsweredMessageBox().text, "Cannot link to an invalid source.");
  EXPECT_EQ(eaten, 7u) << "nothing of the name was taken";
  test::AnswerNextMessageBox(IDOK);
  EXPECT_EQ(info->CancelLink(link), E_NOTIMPL);
  EXPECT_EQ(test::LastAnsweredMessageBox().caption, "Link Properties");
  EXPECT_EQ(test::LastAnsweredMessageBox().text, "Break link operation is not supported.");
  EXPECT_FALSE(edit_->Modified());
}

// Wine's control writes a rich text only up to its first object, unclosed, and refuses to read
// that back: a new window still comes up, with what was written read as plain text.
TEST_F(RichEditVerbMenuTest, ANewWindowComesUpOverATextWithAnObject) {
  edit_->SetPlainText(false);
  InsertTestObject();
  HWND before = edit_->Handle();
  EXPECT_NO_THROW(edit_->SetSelectionBar(false));
  EXPECT_NE(edit_->Handle(), before);
  EXPECT_GT(GetWindowTextLengthA(edit_->Handle()), 0);
}

}  // namespace
}  // namespace tw
