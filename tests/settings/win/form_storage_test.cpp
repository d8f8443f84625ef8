#include "settings/win/form_storage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/ini_file.h"
#include "framework/win/panel.h"
#include "framework/win/registry.h"
#include "settings/win/placement_io.h"
#include "settings/win/win_min_max_info.h"
#include "settings/win/window_hook.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win/pump.h"

namespace tw {
namespace {

// A toggle with a view style, standing for the main window's tool buttons and list.
class TSwitch : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TSwitch"; }
  bool Down = false;
  int ViewStyle = 0;
  TStringList Names;
};

const bool kRegistered = [] {
  TTypeRegistry::Class<TSwitch>("TSwitch", "TComponent")
      .Boolean("Down", &TSwitch::Down, &TSwitch::Down, false)
      .Enumeration("ViewStyle", EnumerationType("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}),
                   &TSwitch::ViewStyle, &TSwitch::ViewStyle, 0)
      .Object<TStrings>("Names", "TStrings", [](TSwitch& s) { return &s.Names; },
                        [](TSwitch& s, TStrings* v) {
                          if (v) s.Names.Assign(*v);
                        })
      .Done();
  // The panel's size, unless the controls already publish it themselves.
  if (!TTypeRegistry::Instance().FindProperty("TPanel", "Width")) {
    TTypeRegistry::Class<TControl>("TControl", "TComponent")
        .Integer("Width", &TControl::Width, &TControl::SetWidth, 0)
        .Integer("Height", &TControl::Height, &TControl::SetHeight, 0)
        .Done();
    TTypeRegistry::Class<TWinControl>("TWinControl", "TControl").Done();
    TTypeRegistry::Class<TPanel>("TPanel", "TWinControl").Done();
  }
  return true;
}();

constexpr const char* kKey = "Software\\Tarnwick-test-placement";

class FormStorageTest : public ::testing::Test {
protected:
  void SetUp() override {
    (void)kRegistered;
    Application->OnException = [this](TObject*, const Exception& e) { shown.push_back(e.Message()); };
    DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
  }
  void TearDown() override {
    test::PumpPending();
    Application->OnException = nullptr;
    DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
  }

  // The main window's arrangement in small: a panel, a switch and the storage.
  struct Window {
    TForm* form;
    TPanel* panel;
    TSwitch* button;
    TFormStorage* storage;
  };
  Window NewWindow(bool registry = true, TForm* form = nullptr) {
    Window w{};
    w.form = form ? form : new TForm(nullptr);
    w.form->SetBounds(40, 30, 500, 400);
    w.panel = new TPanel(w.form);
    w.panel->SetName("Panel1");
    w.panel->SetParent(w.form);
    w.panel->SetWidth(201);
    w.button = new TSwitch(w.form);
    w.button->SetName("ToolButton15");
    w.storage = new TFormStorage(w.form);
    w.storage->SetName("FormStorage1");
    w.storage->SetUseRegistry(registry);
    w.storage->SetIniFileName(registry ? kKey : ini.File("layout.ini"));
    w.storage->SetIniSection("Window");
    for (const char* line : {"Panel1.Width", "ToolButton15.Down", "ToolButton15.ViewStyle"})
      w.storage->StoredProps().Add(line);
    w.storage->Loaded();
    return w;
  }

  std::string Stored(const std::string& ident, const std::string& section = "Window") {
    TRegIniFile store(kKey);
    return store.ReadString(section, ident, "<missing>");
  }
  void Put(const std::string& ident, const std::string& value) { TRegIniFile(kKey).WriteString("Window", ident, value); }

  std::vector<std::string> shown;
  test::TempFolder ini;
};

TEST_F(FormStorageTest, CloseQuerySavesPlacementAndPanelWidth) {
  Window w = NewWindow();
  w.button->ViewStyle = 3;
  w.form->Show();
  EXPECT_TRUE(w.form->CloseQuery());
  EXPECT_EQ(Stored("Panel1_Width"), "201");
  EXPECT_EQ(Stored("ToolButton15_Down"), "False");
  EXPECT_EQ(Stored("ToolButton15_ViewStyle"), "vsReport");
  EXPECT_EQ(Stored("Visible"), "0");
  EXPECT_EQ(Stored("ShowCmd"), "1");
  EXPECT_EQ(Stored("PixelsPerInch"), std::to_string(Screen->PixelsPerInch()));
  EXPECT_EQ(Stored("NormPos"), "40,30,540,430");
  EXPECT_EQ(Stored("NormPos" + ResolutionSuffix()), "40,30,540,430");
  EXPECT_NE(Stored("MinMaxPos"), "<missing>");
  EXPECT_EQ(Stored("MinMaxPos" + ResolutionSuffix()), Stored("MinMaxPos"));
  EXPECT_NE(Stored("Flags"), "<missing>");
  delete w.form;
  // Saved at the close query: destruction writes nothing more.
  EXPECT_EQ(Stored("Visible"), "0");
  EXPECT_TRUE(shown.empty());
}

TEST_F(FormStorageTest, SavingStoredPropsAloneOpensAStoreForTheirLists) {
  Window w = NewWindow();
  TStringList lines;
  lines.Assign(w.storage->StoredProps());
  lines.Add("ToolButton15.Names");
  w.storage->SetStoredProps(lines);
  w.button->Names.Add("alpha");
  w.button->Names.Add("beta");
  const std::string list_section = "Window.ToolButton15_Names";
  TRegIniFile(kKey).WriteString(list_section, "Item5", "stale");
  w.storage->SaveStoredProps();
  EXPECT_EQ(Stored("Count", list_section), "2");
  EXPECT_EQ(Stored("Item1", list_section), "beta");
  EXPECT_EQ(Stored("Item5", list_section), "<missing>");
  EXPECT_EQ(Stored("Panel1_Width"), "201");
  delete w.form;
}

TEST_F(FormStorageTest, SaveDuringDestructionWritesVisibleOne) {
  Window w = NewWindow();
  w.form->Show();
  delete w.form;
  EXPECT_EQ(Stored("Visible"), "1");
  EXPECT_EQ(Stored("Panel1_Width"), "201");
}

TEST_F(FormStorageTest, FormNeverShownWritesNothing) {
  Window w = NewWindow();
  EXPECT_TRUE(w.form->CloseQuery());
  delete w.form;
  TRegIniFile store(kKey);
  EXPECT_FALSE(store.SectionExists("Window"));
}

TEST_F(FormStorageTest, RestoreBringsBackPlacementAndProperties) {
  Window first = NewWindow();
  first.form->Show();
  first.form->SetBounds(70, 80, 420, 310);
  first.panel->SetWidth(150);
  first.button->Down = true;
  first.button->ViewStyle = 2;
  first.form->CloseQuery();
  delete first.form;

  Window second = NewWindow();
  second.form->Show();
  EXPECT_EQ(second.panel->Width(), 150);
  EXPECT_TRUE(second.button->Down);
  EXPECT_EQ(second.button->ViewStyle, 2);
  RECT r;
  GetWindowRect(second.form->Handle(), &r);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 310);
  delete second.form;
  EXPECT_TRUE(shown.empty());
}

TEST_F(FormStorageTest, FirstRunRestoresNormalStateAndKeepsTheBounds) {
  Window w = NewWindow();
  w.form->SetWindowState(wsMaximized);
  w.form->Show();
  EXPECT_EQ(w.form->WindowState(), wsNormal);
  RECT r;
  GetWindowRect(w.form->Handle(), &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.right - r.left, 500);
  delete w.form;
}

TEST_F(FormStorageTest, CurrentResolutionValuesWinOverBareNames) {
  Put("NormPos" + ResolutionSuffix(), "10,20,310,220");
  Put("NormPos", "100,100,200,200");
  Put("NormPos(1x1)", "5,5,50,50");
  Window w = NewWindow();
  w.form->Show();
  RECT r;
  GetWindowRect(w.form->Handle(), &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 310);
  delete w.form;

  // Another screen's value is never read; the bare name is.
  DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
  Put("NormPos(1x1)", "5,5,50,50");
  Put("NormPos", "100,110,300,310");
  Window v = NewWindow();
  v.form->Show();
  GetWindowRect(v.form->Handle(), &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 110);
  delete v.form;
}

TEST_F(FormStorageTest, FixedBorderFormKeepsItsSize) {
  Put("NormPos", "60,70,1060,870");
  auto* form = new TForm(nullptr);
  form->SetBorderStyle(bsSingle);
  Window w = NewWindow(true, form);
  w.form->Show();
  RECT r;
  GetWindowRect(w.form->Handle(), &r);
  EXPECT_EQ(r.left, 60);
  EXPECT_EQ(r.top, 70);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 400);
  delete w.form;
}

TEST_F(FormStorageTest, RectangleWithLeftNotBeforeRightIsIgnored) {
  for (const char* rect : {"300,20,300,220", "400,20,100,220", "10,10,99999999,99999999"}) {
    DeleteRegistryTree(HKEY_CURRENT_USER, kKey);
    Put("NormPos", rect);
    Window w = NewWindow();
    w.form->Show();
    RECT r;
    GetWindowRect(w.form->Handle(), &r);
    EXPECT_EQ(r.left, 40) << rect;
    EXPECT_EQ(r.right - r.left, 500) << rect;
    delete w.form;
  }
}

TEST_F(FormStorageTest, ShowCmdPicksTheStateAndReadsHexadecimal) {
  Put("ShowCmd", "0x3");
  Window w = NewWindow();
  w.form->Show();
  EXPECT_EQ(w.form->WindowState(), wsMaximized);
  delete w.form;
}

TEST_F(FormStorageTest, GarbageLosesOnlyTheDamagedValues) {
  Put("ShowCmd", "maximised please");
  Put("PixelsPerInch", "lots");
  Put("NormPos", "a,b,c,d");
  Put("MinMaxPos", "-,-");
  Put("ToolButton15_ViewStyle", "vsHuge");
  Put("ToolButton15_Down", "True");
  Put("Panel1_Width", "  180 ");
  DWORD flags = 2;
  ScopedKey key;
  RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + "\\Window").c_str(), 0, KEY_WRITE, key.Receive());
  RegSetValueExA(key.Get(), "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&flags), sizeof flags);

  Window w = NewWindow();
  w.button->ViewStyle = 1;
  w.form->Show();
  EXPECT_TRUE(IsWindowVisible(w.form->Handle()));
  EXPECT_EQ(shown, std::vector<std::string>{"Invalid data type for 'Flags'"});
  EXPECT_TRUE(w.button->Down);
  EXPECT_EQ(w.button->ViewStyle, 1);
  EXPECT_EQ(w.panel->Width(), 180);
  EXPECT_EQ(w.form->WindowState(), wsNormal);
  // The next save writes every value as text again.
  w.form->CloseQuery();
  EXPECT_NE(Stored("Flags"), "<missing>");
  delete w.form;
}

TEST_F(FormStorageTest, IniFileKeepsQuotedTextsIntact) {
  Window first = NewWindow(false);
  first.form->Show();
  first.button->Down = true;
  first.form->CloseQuery();
  TIniFile file(ini.File("layout.ini"));
  EXPECT_EQ(file.ReadString("Window", "ToolButton15_Down", ""), "True");
  EXPECT_EQ(file.ReadString("Window", "Panel1_Width", ""), "201");
  EXPECT_EQ(file.ReadString("Window", "Visible", ""), "0");
  delete first.form;

  Window second = NewWindow(false);
  second.form->Show();
  EXPECT_TRUE(second.button->Down);
  const std::string quoted = "'single'";
  second.storage->WritePlacementString("Window", "Caption", quoted);
  EXPECT_EQ(second.storage->ReadPlacementString("Window", "Caption", ""), quoted);
  delete second.form;
}

TEST_F(FormStorageTest, MinimisedMainFormPostsMinimiseToTheApplication) {
  Put("ShowCmd", "2");
  auto* main_form = Application->CreateForm<TForm>();
  ASSERT_EQ(Application->MainForm(), main_form);
  Window w = NewWindow(true, main_form);
  w.form->Show();
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, Application->Handle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(SC_MINIMIZE));
  EXPECT_EQ(w.form->WindowState(), wsNormal);
  delete w.form;
}

TEST_F(FormStorageTest, RemovedComponentDropsItsLine) {
  Window w = NewWindow();
  delete w.button;
  ASSERT_EQ(w.storage->StoredProps().Count(), 1);
  w.panel->SetName("TreePanel");
  w.form->Show();
  w.form->CloseQuery();
  EXPECT_EQ(w.storage->StoredProps().Get(0), "TreePanel.Width");
  EXPECT_EQ(Stored("TreePanel_Width"), "201");
  EXPECT_EQ(Stored("ToolButton15_Down"), "<missing>");
  delete w.form;
}

TEST_F(FormStorageTest, PreventResizeFixesTheTrackingSize) {
  Window w = NewWindow();
  w.storage->SetPreventResize(true);
  w.form->Show();
  EXPECT_EQ(w.form->BorderIcons() & biMaximize, 0u);
  MINMAXINFO info{};
  info.ptMaxTrackSize = {5000, 5000};
  SendMessageA(w.form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 500);
  EXPECT_EQ(info.ptMaxTrackSize.y, 400);
  RECT r;
  GetWindowRect(w.form->Handle(), &r);
  const LRESULT hit = SendMessageA(w.form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, (r.top + r.bottom) / 2));
  EXPECT_EQ(hit, HTNOWHERE);
  delete w.form;
}

TEST_F(FormStorageTest, MinMaxInfoReplacesOnlyItsNonZeroFields) {
  Window w = NewWindow();
  EXPECT_FALSE(w.storage->WindowHook().Active());
  w.storage->MinMaxInfo().SetMinTrackWidth(300);
  EXPECT_TRUE(w.storage->WindowHook().Active());
  w.form->Show();
  MINMAXINFO info{};
  info.ptMinTrackSize = {11, 12};
  SendMessageA(w.form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 300);
  EXPECT_EQ(info.ptMinTrackSize.y, 12);
  TWinMinMaxInfo none(nullptr);
  w.storage->SetMinMaxInfo(none);
  EXPECT_FALSE(w.storage->WindowHook().Active());
  delete w.form;
}

TEST_F(FormStorageTest, DefaultNamesFollowTheProgramAndTheOwner) {
  Window w = NewWindow();
  EXPECT_EQ(DefaultSectionName(nullptr), "");
  EXPECT_EQ(DefaultSectionName(w.form), "TForm");
  EXPECT_EQ(DefaultSectionName(w.panel), "TFormPanel1");
  EXPECT_EQ(DefaultSectionName(w.storage), "TForm.FormStorage1");
  EXPECT_EQ(DefaultIniFileName(), "settings_win_tests.INI");
  EXPECT_EQ(DefaultRegistryKey(), "Software\\settings_win_tests");
  SetDefaultCompanyName("Tarn");
  SetUseApplicationTitle(true);
  const std::string title = Application->Title();
  Application->SetTitle("Tarnwick 1.0");
  EXPECT_EQ(DefaultRegistryKey(), "Software\\Tarn\\Tarnwick 1.0");
  Application->SetTitle(title);
  SetUseApplicationTitle(false);
  SetDefaultCompanyName("");
  SetDefaultIniFileNameCallback([] { return std::string("other.ini"); });
  w.storage->SetIniFileName("");
  w.storage->SetUseRegistry(false);
  EXPECT_EQ(w.storage->IniFileName(), "other.ini");
  SetDefaultIniFileNameCallback(nullptr);
  delete w.form;
}

}  // namespace
}  // namespace tw
