#include <windows.h>
#include <exdisp.h>
#include <richole.h>

#include <gtest/gtest.h>

#include "framework/win/com_ptr.h"
#include "framework/win/main_menu.h"
#include "framework/win/ole_in_place_frame.h"
#include "framework/win/panel.h"
#include "tests/viewers/win/rich_edit_test_support.h"
#include "viewers/win/rich_edit_ole_callback.h"

namespace tw {
namespace {

// Wine's rich edit control offers its objects an in-place site that refuses everything, so it
// never asks its callback for the in-place context: these tests ask the callback the control
// holds as the control would.
class RichEditInPlaceTest : public test::RichEditTest {
protected:
  void SetUp() override {
    OleInitialize(nullptr);
    RichEditTest::SetUp();
    edit_->SetPlainText(false);
  }
  void TearDown() override {
    RichEditTest::TearDown();
    OleUninitialize();
  }

  // A menu bar with two shortcut items and one without.
  void GiveTheFormAMenu() {
    auto* menu = new TMainMenu(form_);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    for (TShortCut short_cut : {TShortCut(scCtrl | 'O'), TShortCut(0), TShortCut(scAlt | VK_F4)}) {
      auto* item = new TMenuItem(menu);
      item->SetCaption("item");
      item->SetShortCut(short_cut);
      file->Add(item);
    }
    form_->SetMenu(menu);
  }

  struct TContext {
    HRESULT result;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO info;
  };
  TContext AskInPlaceContext() {
    TContext context{};
    context.info.cb = sizeof(context.info);
    context.result = edit_->OleCallback()->GetInPlaceContext(context.frame.Receive(), context.document.Receive(),
                                                             &context.info);
    return context;
  }
};

TEST_F(RichEditInPlaceTest, InPlaceContextIsTheFormsFrameWithItsMenuShortcuts) {
  GiveTheFormAMenu();
  TContext context = AskInPlaceContext();
  ASSERT_EQ(context.result, S_OK);
  HWND window = nullptr;
  ASSERT_EQ(context.frame->GetWindow(&window), S_OK);
  EXPECT_EQ(window, form_->Handle());
  EXPECT_EQ(static_cast<void*>(context.frame.Get()), static_cast<void*>(form_->OleInPlaceFrame()));
  EXPECT_EQ(static_cast<void*>(context.document.Get()), static_cast<void*>(form_->OleInPlaceFrame()));
  EXPECT_FALSE(context.info.fMDIApp);
  EXPECT_EQ(context.info.hwndFrame, form_->Handle());
  EXPECT_EQ(context.info.cAccelEntries, 2u);
  ASSERT_NE(context.info.haccel, nullptr);
  EXPECT_EQ(CopyAcceleratorTableA(context.info.haccel, nullptr, 0), 2);
  // Asked again while the object is active: the same table.
  EXPECT_EQ(AskInPlaceContext().info.haccel, context.info.haccel);

  // The object's deactivation drops the frame and the table; without a menu the next object
  // gets no accelerators.
  ASSERT_EQ(edit_->OleCallback()->ShowContainerUI(TRUE), S_OK);
  EXPECT_EQ(CopyAcceleratorTableA(context.info.haccel, nullptr, 0), 0) << "the table was destroyed";
  delete form_->Menu();
  context = AskInPlaceContext();
  ASSERT_EQ(context.result, S_OK);
  EXPECT_EQ(context.info.cAccelEntries, 0u);
  EXPECT_EQ(context.info.haccel, nullptr);
}

TEST_F(RichEditInPlaceTest, FrameCountsTheReferencesItHandsOut) {
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  {
    TContext context = AskInPlaceContext();
    ASSERT_EQ(context.result, S_OK);
    // The form's, the callback's, and the frame and document references handed out.
    EXPECT_EQ(frame->AddRef(), 5u);
    frame->Release();
  }
  ASSERT_EQ(edit_->OleCallback()->ShowContainerUI(TRUE), S_OK);
  EXPECT_EQ(frame->AddRef(), 2u) << "only the form holds it now";
  frame->Release();
}

TEST_F(RichEditInPlaceTest, NoContextWithoutInPlaceActivation) {
  edit_->SetAllowInPlace(false);
  TContext context = AskInPlaceContext();
  EXPECT_EQ(context.result, E_NOTIMPL);
  EXPECT_EQ(context.frame, nullptr);
  EXPECT_EQ(context.document, nullptr);
  EXPECT_EQ(edit_->OleCallback()->ShowContainerUI(FALSE), E_NOTIMPL);
  EXPECT_EQ(edit_->OleCallback()->ShowContainerUI(TRUE), E_NOTIMPL);
  EXPECT_EQ(form_->ActiveOleControl(), nullptr);
}

TEST_F(RichEditInPlaceTest, ActiveObjectMakesItsEditorTheFormsInPlaceActiveControl) {
  auto* other = new TTwRichEdit(form_);
  other->SetParent(form_);
  other->SetBounds(0, 300, 400, 60);
  auto* bar = new TPanel(form_);
  bar->SetParent(form_);
  bar->SetAlign(alBottom);

  // An object becoming active hides the container's interface: its editor takes the role.
  ASSERT_EQ(other->OleCallback()->ShowContainerUI(FALSE), S_OK);
  EXPECT_EQ(form_->ActiveOleControl(), other);
  ASSERT_EQ(edit_->OleCallback()->ShowContainerUI(FALSE), S_OK);
  EXPECT_EQ(form_->ActiveOleControl(), edit_);
  EXPECT_EQ(GetFocus(), edit_->Handle());
  // Showing it again: the role, the object's menu and its tools go.
  TOleInPlaceFrame* frame = form_->OleInPlaceFrame();
  HMENU shared = CreateMenu();
  OLEMENUGROUPWIDTHS widths{};
  HOLEMENU descriptor = OleCreateMenuDescriptor(shared, &widths);
  ASSERT_EQ(frame->SetMenu(shared, descriptor, edit_->Handle()), S_OK);
  const BORDERWIDTHS tools{0, 0, 0, 20};
  ASSERT_EQ(frame->SetBorderSpace(&tools), S_OK);
  ASSERT_EQ(bar->Top() + bar->Height(), form_->ClientRect().bottom - 20);
  ASSERT_EQ(edit_->OleCallback()->ShowContainerUI(TRUE), S_OK);
  EXPECT_EQ(form_->ActiveOleControl(), nullptr);
  EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
  OleDestroyMenuDescriptor(descriptor);
  DestroyMenu(shared);
  EXPECT_EQ(bar->Top() + bar->Height(), form_->ClientRect().bottom) << "the tools' space is given back";

  // The frame learns the active object from the object itself: Wine's web browser object puts
  // its window into the editor whose site it is given.
  ComPtr<IOleObject> browser;
  ASSERT_EQ(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                             browser.ReceiveVoid()),
            S_OK);
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(edit_->RichEditOle()->GetClientSite(site.Receive()), S_OK);
  ASSERT_EQ(browser->SetClientSite(site.Get()), S_OK);
  ComPtr<IOleInPlaceActiveObject> active = browser.As<IOleInPlaceActiveObject>();
  ASSERT_TRUE(active);
  HWND object_window = nullptr;
  ASSERT_EQ(active->GetWindow(&object_window), S_OK);
  ASSERT_TRUE(IsChild(edit_->Handle(), object_window));
  ASSERT_EQ(frame->SetActiveObject(active.Get(), L"Browser"), S_OK);
  EXPECT_EQ(form_->ActiveOleControl(), edit_);
  EXPECT_EQ(form_->ActiveOleObject(), active.Get());
  ASSERT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
  EXPECT_EQ(form_->ActiveOleControl(), nullptr);
  EXPECT_EQ(form_->ActiveOleObject(), nullptr);

  // An editor that goes while it holds the role leaves none behind.
  ASSERT_EQ(frame->SetActiveObject(active.Get(), nullptr), S_OK);
  active = nullptr;
  browser->SetClientSite(nullptr);
  browser->Close(OLECLOSE_NOSAVE);
  browser = nullptr;
  site = nullptr;
  delete edit_;
  edit_ = nullptr;
  EXPECT_EQ(form_->ActiveOleControl(), nullptr);
}

}  // namespace
}  // namespace tw
