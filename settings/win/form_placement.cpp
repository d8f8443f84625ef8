#include "settings/win/form_placement.h"

#include <windows.h>

#include "framework/type_info.h"
#include "framework/win/application.h"
#include "framework/win/ini_file.h"
#include "framework/win/registry.h"
#include "settings/win/placement_io.h"
#include "settings/win/win_min_max_info.h"
#include "settings/win/window_hook.h"

namespace tw {

namespace {

PTypeInfo PlacementOptionType() {
  static const PTypeInfo type = EnumerationType("TPlacementOption", {"fpState", "fpPosition", "fpActiveControl"});
  return type;
}

const bool kRegistered =
    TTypeRegistry::Class<TFormPlacement>("TFormPlacement", "TComponent")
        .Boolean("Active", &TFormPlacement::Active, &TFormPlacement::SetActive, true)
        .String("IniFileName", &TFormPlacement::IniFileName, &TFormPlacement::SetIniFileName)
        .String("IniSection", &TFormPlacement::IniSection, &TFormPlacement::SetIniSection)
        .Object<TWinMinMaxInfo>("MinMaxInfo", "TWinMinMaxInfo", [](TFormPlacement& p) { return &p.MinMaxInfo(); },
                                [](TFormPlacement& p, TWinMinMaxInfo* v) {
                                  if (v) p.SetMinMaxInfo(*v);
                                })
        .Set("Options", SetType("TPlacementOptions", PlacementOptionType()), &TFormPlacement::Options,
             &TFormPlacement::SetOptions, PlacementOption(fpState) | PlacementOption(fpPosition))
        .Boolean("PreventResize", &TFormPlacement::PreventResize, &TFormPlacement::SetPreventResize, false)
        .Boolean("UseRegistry", &TFormPlacement::UseRegistry, &TFormPlacement::SetUseRegistry, false)
        .Method("OnSavePlacement", [](TFormPlacement& p) { return bool(p.OnSavePlacement); })
        .Method("OnRestorePlacement", [](TFormPlacement& p) { return bool(p.OnRestorePlacement); })
        .Done();

// The system's border size for a form's border style, which puts a maximised window's border
// just outside the screen.
POINT BorderMetrics(TFormBorderStyle style) {
  switch (style) {
    case bsSingle:
    case bsToolWindow: return {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    case bsSizeable:
    case bsSizeToolWin: return {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
    case bsDialog: return {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
    case bsNone: break;
  }
  return {0, 0};
}

constexpr LRESULT kHitSizingFirst = HTLEFT;        // 10
constexpr LRESULT kHitSizingLast = HTBOTTOMRIGHT;  // 17

}  // namespace

TFormPlacement::StoreScope::StoreScope(TFormPlacement& placement) : placement_(placement) {
  if (!placement_.store_) {
    placement_.store_ = placement_.CreateStore();
    opened_ = true;
  }
}

TFormPlacement::StoreScope::~StoreScope() {
  if (opened_) placement_.store_.reset();
}

TFormPlacement::TFormPlacement(TComponent* AOwner)
    : TComponent(AOwner), min_max_info_(std::make_unique<TWinMinMaxInfo>(this)) {
  (void)kRegistered;
  if (dynamic_cast<TForm*>(AOwner)) options_ = PlacementOption(fpState) | PlacementOption(fpPosition);
  hook_ = new TTwWindowHook(nullptr);
  hook_->SetActive(false);
  hook_->AfterMessage = [this](TObject* sender, TMessage& msg, bool& handled) { WndMessage(sender, msg, handled); };
}

TFormPlacement::~TFormPlacement() {
  Destroying();
  store_.reset();
  delete hook_;
  hook_ = nullptr;
  // A form that is going away has already lost the members these handlers lived in.
  if (events_taken_ && Owner() && !Owner()->HasState(csDestroying)) {
    if (TForm* form = Form()) {
      form->OnShow = save_show_;
      form->OnCloseQuery = save_close_query_;
      form->OnDestroy = save_destroy_;
    }
  }
}

TForm* TFormPlacement::Form() const { return dynamic_cast<TForm*>(Owner()); }

std::string TFormPlacement::IniFileName() const {
  if (!ini_file_name_.empty()) return ini_file_name_;
  return use_registry_ ? DefaultRegistryKey() : DefaultIniFileName();
}

std::string TFormPlacement::IniSection() const {
  return ini_section_.empty() ? DefaultSectionName(Owner()) : ini_section_;
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo& value) { min_max_info_->Assign(value); }

void TFormPlacement::Loaded() {
  TComponent::Loaded();
  TForm* form = Form();
  if (!form) return;
  if (!events_taken_) {
    events_taken_ = true;
    save_show_ = form->OnShow;
    save_close_query_ = form->OnCloseQuery;
    save_destroy_ = form->OnDestroy;
    form->OnShow = [this](TObject* sender) { FormShow(sender); };
    form->OnCloseQuery = [this](TObject* sender, bool& can_close) { FormCloseQuery(sender, can_close); };
    form->OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    default_maximize_ = (form->BorderIcons() & biMaximize) != 0;
    if (prevent_resize_) ApplyPreventResize();
  }
  UpdateHook();
}

bool TFormPlacement::IsWindowLimited() const { return min_max_info_->IsSet() || prevent_resize_; }

void TFormPlacement::UpdateHook() {
  TForm* form = Form();
  hook_->SetWinControl(form);
  hook_->SetActive(form && IsWindowLimited());
}

void TFormPlacement::ApplyPreventResize() {
  TForm* form = Form();
  if (!form) return;
  // Changing the border icons re-creates the window; nothing is to be saved or restored meanwhile.
  const bool was_active = active_;
  active_ = false;
  TBorderIcons icons = form->BorderIcons();
  if (prevent_resize_ || !default_maximize_ || form->BorderStyle() == bsDialog)
    icons &= ~biMaximize;
  else
    icons |= biMaximize;
  form->SetBorderIcons(icons);
  active_ = was_active;
}

void TFormPlacement::SetPreventResize(bool value) {
  TForm* form = Form();
  if (!form || value == prevent_resize_) return;
  prevent_resize_ = value;
  UpdateMaxPosition();
  if (value) default_maximize_ = (form->BorderIcons() & biMaximize) != 0;
  ApplyPreventResize();
  if (!HasState(csLoading)) UpdateHook();
}

void TFormPlacement::MinMaxChanged() {
  UpdateMaxPosition();
  if (!HasState(csLoading)) UpdateHook();
}

void TFormPlacement::UpdateMaxPosition() {
  TForm* form = Form();
  if (!form || !form->HandleAllocated() || HasState(csLoading) || prevent_resize_ || min_max_info_->IsSet())
    return;
  HWND window = form->Handle();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;
  const POINT border = BorderMetrics(form->BorderStyle());
  placement.ptMaxPosition = {-border.x, -border.y};
  SetWindowPlacement(window, &placement);
}

void TFormPlacement::WndMessage(TObject*, TMessage& Msg, bool&) {
  TForm* form = Form();
  if (prevent_resize_ && form) {
    switch (Msg.Msg) {
      case WM_GETMINMAXINFO:
        if (form->HandleAllocated() && IsWindowVisible(form->Handle())) {
          auto* info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
          info->ptMinTrackSize = {form->Width(), form->Height()};
          info->ptMaxTrackSize = {form->Width(), form->Height()};
        }
        Msg.Result = 1;
        break;
      case WM_NCHITTEST:
        if (Msg.Result >= kHitSizingFirst && Msg.Result <= kHitSizingLast) Msg.Result = HTNOWHERE;
        break;
      case WM_INITMENUPOPUP:
        if (HIWORD(Msg.LParam) != 0) {
          auto menu = reinterpret_cast<HMENU>(Msg.WParam);
          EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
          EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
          Msg.Result = 1;
        }
        break;
      default:
        break;
    }
    return;
  }
  if (Msg.Msg != WM_GETMINMAXINFO) return;
  auto* info = reinterpret_cast<MINMAXINFO*>(Msg.LParam);
  const TWinMinMaxInfo& limits = *min_max_info_;
  if (limits.IsSet()) {
    auto apply = [](LONG& field, int value) {
      if (value != 0) field = value;
    };
    apply(info->ptMaxPosition.x, limits.MaxPosLeft());
    apply(info->ptMaxPosition.y, limits.MaxPosTop());
    apply(info->ptMaxSize.y, limits.MaxSizeHeight());
    apply(info->ptMaxSize.x, limits.MaxSizeWidth());
    apply(info->ptMaxTrackSize.y, limits.MaxTrackHeight());
    apply(info->ptMaxTrackSize.x, limits.MaxTrackWidth());
    apply(info->ptMinTrackSize.y, limits.MinTrackHeight());
    apply(info->ptMinTrackSize.x, limits.MinTrackWidth());
  } else {
    info->ptMaxPosition = {0, 0};
  }
  Msg.Result = 1;
}

void TFormPlacement::FormShow(TObject* Sender) {
  if (active_) {
    try {
      RestoreFormPlacement();
    } catch (...) {
      Application->HandleException(this);
    }
  }
  if (save_show_) save_show_(Sender);
}

void TFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (save_close_query_) save_close_query_(Sender, CanClose);
  TForm* form = Form();
  if (CanClose && active_ && form && form->HandleAllocated()) {
    try {
      SaveFormPlacement();
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TFormPlacement::FormDestroy(TObject* Sender) {
  if (active_ && !saved_) {
    destroying_ = true;
    try {
      SaveFormPlacement();
    } catch (...) {
      Application->HandleException(this);
    }
    destroying_ = false;
  }
  if (save_destroy_) save_destroy_(Sender);
}

std::unique_ptr<TCustomIniFile> TFormPlacement::CreateStore() const {
  if (use_registry_) return std::make_unique<TRegIniFile>(IniFileName());
  return std::make_unique<TIniFile>(IniFileName());
}

void TFormPlacement::SaveFormPlacement() {
  if (active_ && !restored_) return;
  StoreScope scope(*this);
  SavePlacement();
  if (OnSavePlacement) OnSavePlacement(this);
  saved_ = true;
}

void TFormPlacement::SavePlacement() {
  TForm* form = Form();
  if (!form) return;
  const std::string section = IniSection();
  WritePlacement(form, *store_, section);
  if ((options_ & PlacementOption(fpActiveControl)) && form->ActiveControl())
    store_->WriteString(section, "ActiveControl", form->ActiveControl()->Name());
  store_->WriteBool(section, "Visible", destroying_);
}

void TFormPlacement::DeferFailure() {
  if (!deferred_failure_) deferred_failure_ = std::current_exception();
}

void TFormPlacement::RestoreFormPlacement() {
  saved_ = false;
  deferred_failure_ = nullptr;
  {
    StoreScope scope(*this);
    RestorePlacement();
    restored_ = true;
    if (OnRestorePlacement) OnRestorePlacement(this);
    TForm* form = Form();
    if ((options_ & PlacementOption(fpActiveControl)) && form) {
      std::string name;
      try {
        name = ReadPlacementString(IniSection(), "ActiveControl", "");
      } catch (...) {
        DeferFailure();
      }
      auto* control = dynamic_cast<TWinControl*>(form->FindComponent(name));
      if (control && control->CanFocus()) form->SetActiveControl(control);
    }
  }
  UpdateMaxPosition();
  if (std::exception_ptr failure = std::exchange(deferred_failure_, nullptr)) std::rethrow_exception(failure);
}

void TFormPlacement::RestorePlacement() {
  TForm* form = Form();
  if (!form) return;
  try {
    ReadPlacement(form, *store_, IniSection(), (options_ & PlacementOption(fpState)) != 0,
                  (options_ & PlacementOption(fpPosition)) != 0);
  } catch (...) {
    DeferFailure();
  }
}

std::string TFormPlacement::ReadPlacementString(const std::string& Section, const std::string& Ident,
                                                const std::string& Default) {
  StoreScope scope(*this);
  return store_->ReadString(Section, Ident, Default);
}

void TFormPlacement::WritePlacementString(const std::string& Section, const std::string& Ident,
                                          const std::string& Value) {
  StoreScope scope(*this);
  store_->WriteString(Section, Ident, Value);
}

}  // namespace tw
