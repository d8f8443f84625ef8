#pragma once
// TFormPlacement: a non-visual component on a form that remembers the form's window placement
// (position, size, minimised or maximised) in the user's registry or an INI file. It takes over
// the form's OnShow (restore), OnCloseQuery (save) and OnDestroy (save unless saved already),
// calling the handlers it replaced, and gives them back when it goes.
//
// A form built in code calls Loaded() once its components exist, as reading a form does.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "framework/component.h"
#include "framework/events.h"
#include "framework/win/control.h"
#include "framework/win/form.h"

namespace tw {

class TCustomIniFile;
class TTwWindowHook;
class TWinMinMaxInfo;

enum TPlacementOption { fpState, fpPosition, fpActiveControl };
// Bit i is option i.
using TPlacementOptions = std::uint16_t;
inline constexpr TPlacementOptions PlacementOption(TPlacementOption option) {
  return static_cast<TPlacementOptions>(1u << option);
}

class TFormPlacement : public TComponent {
public:
  explicit TFormPlacement(TComponent* AOwner);
  ~TFormPlacement() override;

  std::string ClassName() const override { return "TFormPlacement"; }

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  // The stored name, or the default key (registry) or INI file name when it is empty.
  std::string IniFileName() const;
  void SetIniFileName(const std::string& value) { ini_file_name_ = value; }
  // The stored section, or the owner's default section name when it is empty.
  std::string IniSection() const;
  void SetIniSection(const std::string& value) { ini_section_ = value; }
  TWinMinMaxInfo& MinMaxInfo() const { return *min_max_info_; }
  void SetMinMaxInfo(const TWinMinMaxInfo& value);
  TPlacementOptions Options() const { return options_; }
  void SetOptions(TPlacementOptions value) { options_ = value; }
  bool PreventResize() const { return prevent_resize_; }
  void SetPreventResize(bool value);
  bool UseRegistry() const { return use_registry_; }
  void SetUseRegistry(bool value) { use_registry_ = value; }

  TNotifyEvent OnSavePlacement;
  TNotifyEvent OnRestorePlacement;

  // Takes over the form's events (once), applies PreventResize and attaches the hook if needed.
  void Loaded() override;

  void SaveFormPlacement();
  void RestoreFormPlacement();
  // One string through the open store, or through one opened for the call.
  virtual std::string ReadPlacementString(const std::string& Section, const std::string& Ident,
                                          const std::string& Default);
  virtual void WritePlacementString(const std::string& Section, const std::string& Ident,
                                    const std::string& Value);

  // MinMaxInfo changed: move the maximised position and attach or detach the hook.
  void MinMaxChanged();
  void UpdateMaxPosition();

  // The window hook on the form (attached only with MinMaxInfo set or PreventResize).
  TTwWindowHook& WindowHook() const { return *hook_; }

protected:
  virtual void SavePlacement();
  virtual void RestorePlacement();
  // The owner when it is a form.
  TForm* Form() const;
  // The store open during a save or restore, else null.
  TCustomIniFile* Store() const { return store_.get(); }
  bool Restored() const { return restored_; }
  void SetRestored() { restored_ = true; }
  // Keeps a failure of the restore so that the rest of it still runs; it is thrown at its end.
  void DeferFailure();
  // Opens the store for one save, restore or single access unless one is open already, and
  // closes what it opened, also on failure.
  class StoreScope {
  public:
    explicit StoreScope(TFormPlacement& placement);
    ~StoreScope();
    StoreScope(const StoreScope&) = delete;
    StoreScope& operator=(const StoreScope&) = delete;

  private:
    TFormPlacement& placement_;
    bool opened_ = false;
  };

private:
  void WndMessage(TObject* Sender, TMessage& Msg, bool& Handled);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void UpdateHook();
  void ApplyPreventResize();
  bool IsWindowLimited() const;
  std::unique_ptr<TCustomIniFile> CreateStore() const;

  bool active_ = true;
  std::string ini_file_name_;
  std::string ini_section_;
  std::unique_ptr<TWinMinMaxInfo> min_max_info_;
  TPlacementOptions options_ = 0;
  bool prevent_resize_ = false;
  bool use_registry_ = false;
  TTwWindowHook* hook_ = nullptr;

  bool events_taken_ = false;
  TNotifyEvent save_show_;
  TCloseQueryEvent save_close_query_;
  TNotifyEvent save_destroy_;
  bool restored_ = false;
  bool saved_ = false;
  bool destroying_ = false;
  bool default_maximize_ = false;
  std::unique_ptr<TCustomIniFile> store_;
  std::exception_ptr deferred_failure_;
};

}  // namespace tw
