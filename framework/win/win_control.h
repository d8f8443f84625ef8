#pragma once
// TWinControl: a control with a window of its own, and the parent of other controls.
//
// The window is made in overridable steps: CreateParams fills in the class, styles and text,
// CreateWnd makes the window from them, DestroyWnd takes it down; RecreateWnd does both and
// keeps the control's text and state. A window of a system class (toolbar, tree view, ...) is
// created with that class and then subclassed; a window of the framework's own class is bound
// to its object from WM_NCCREATE on. Either way one window procedure serves every object and
// finds it in a table of bound windows (a window property would cost a window-server request
// per message under Wine), so a window that others subclass with SetWindowLongPtr (and call on
// as their previous procedure) still reaches its object.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/win/control.h"
#include "framework/win/window_subclass.h"

namespace tw {

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  // The system window class to create (e.g. TOOLBARCLASSNAMEA); empty for the framework's own
  // class WinClassName, registered on first use with WindowClassStyle and the given cursor.
  std::string SysClassName;
  std::string WinClassName;
  UINT WindowClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  std::string ClassName() const override { return "TWinControl"; }
  bool IsWindowed() const override { return true; }

  // The window, created on demand (with its parents' windows).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window (and so its children's); the control keeps its state and makes a new
  // window on the next demand.
  void DestroyHandle();
  // Takes the window down and makes a new one at once when one existed.
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  virtual void InsertControl(TControl* control);
  virtual void RemoveControl(TControl* control);
  // The windowless child control at a client point, or null.
  TControl* ControlAtPos(POINT p) const;

  RECT ClientRect() const override;
  POINT ClientToScreen(POINT p) const override;
  POINT ScreenToClient(POINT p) const override;
  void SetBounds(int left, int top, int width, int height) override;
  void Invalidate() override;
  bool Showing() const override;

  // Alignment of the children inside the client area (less the control's own margins).
  void Realign();
  void DisableAlign() { ++align_disabled_; }
  void EnableAlign();
  virtual void AdjustClientRect(RECT& rect);

  // Focus and keyboard order.
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value);
  int TabOrder() const;
  void SetTabOrder(int value);
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();
  // The next control in tab order after CURRENT (wrapping), among this control's descendants.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool check_tab_stop);

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // The object bound to a window, or null.
  static TWinControl* FindControl(HWND window);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  std::function<void(TObject* Sender)> OnEnter;
  std::function<void(TObject* Sender)> OnExit;

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Creates the window from PARAMS (after CreateParams); CreateWnd overrides usually call
  // the base and then configure the new window.
  void CreateWindowHandle(const TCreateParams& params);
  // Paints a window of the framework's own class (background and windowless children are
  // done around it).
  virtual void PaintWindow(HDC) {}
  virtual void AlignControls(RECT& rect);

  // Typed handlers, called by Dispatch.
  virtual void WMPaint(TMessage& message);
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMWindowPosChanged(TMessage& message);
  virtual void WMCommand(TMessage& message);
  virtual void WMNotify(TMessage& message);
  virtual void WMContextMenu(TMessage& message);
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  virtual void WMSetCursor(TMessage& message);
  virtual void CNCommand(TMessage& message) { DefaultHandler(message); }
  virtual void CNNotify(TMessage& message) { DefaultHandler(message); }
  virtual void CNDrawItem(TMessage& message) { DefaultHandler(message); }
  virtual void CNMeasureItem(TMessage& message) { DefaultHandler(message); }
  virtual bool DoKeyDown(WORD& key, TShiftState shift);
  virtual bool DoKeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();

  void TextChanged() override;
  void VisibleChanged() override;
  void EnabledChanged() override;
  std::string GetText() const override;
  // True for windows of the framework's own class (painted and erased here).
  bool OwnClass() const { return default_proc_ == &DefWindowProcA; }

private:
  friend class TControl;
  friend class TForm;
  static LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  void Bind(HWND window);
  void Unbind();
  // Sends a reflected notification to the child window that sent it; false when the window
  // has no object.
  static bool ReflectToChild(HWND child, TMessage& message);
  void ForwardMouseToChild(TMessage& message);
  void NotifyChildren(UINT msg);
  void PaintWindowlessChildren(HDC dc);
  void CreateChildWindows();
  void CollectTabOrder(std::vector<TWinControl*>& out);
  void SaveText();

  HWND handle_ = nullptr;
  WNDPROC default_proc_ = nullptr;
  WindowSubclass subclass_;
  std::vector<TControl*> controls_;
  std::vector<TWinControl*> tab_list_;
  int align_disabled_ = 0;
  bool aligning_ = false;
  bool tab_stop_ = false;
  bool recreating_ = false;
  TControl* mouse_capture_child_ = nullptr;
  TBrush brush_;
};

}  // namespace tw
