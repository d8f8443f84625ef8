#pragma once
// TTwWindowHook: lets its owner see every message of one windowed control before and after the
// control handles it, and swallow messages, without subclassing the control's class. Hooks on
// the same control share one TControlHook (one replacement window procedure); the most recently
// attached hook is asked first.

#include <functional>

#include "framework/component.h"
#include "framework/win/control.h"

namespace tw {

class TControlHook;
class TWinControl;

// MSG may be changed (its Result is what the window procedure answers); setting HANDLED in a
// before-handler keeps the message from the control and from the other hooks.
using THookMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TTwWindowHook : public TComponent {
public:
  explicit TTwWindowHook(TComponent* AOwner);
  ~TTwWindowHook() override;

  std::string ClassName() const override { return "TTwWindowHook"; }

  bool Active() const { return active_; }
  void SetActive(bool value);
  // The watched control: the shared hook's control while attached, else the one given.
  TWinControl* WinControl() const;
  void SetWinControl(TWinControl* value);

  // Attaches to the control's shared hook (when a control is set); Active becomes true.
  void HookControl();
  // Detaches; Active becomes false.
  void UnhookControl();
  // The shared hook while attached, else null.
  TControlHook* ControlHook() const { return control_hook_; }

  THookMessageEvent BeforeMessage;
  THookMessageEvent AfterMessage;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TControlHook;

  TWinControl* control_ = nullptr;
  TControlHook* control_hook_ = nullptr;
  bool active_ = true;
};

}  // namespace tw
