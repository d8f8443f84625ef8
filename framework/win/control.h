#pragma once
// TControl: the base of everything that sits on a form. It has an owner (who frees it) and a
// parent (the windowed control it lies on), bounds in its parent's client co-ordinates, an
// alignment, visibility, colours, a font, hint text and a popup menu. A TControl without a window
// of its own (TGraphicControl, TToolButton) gets its mouse messages and painting from its parent.
//
// Messages reach a control through WndProc (overridable: a derived class handles what it wants
// and calls the base for the rest), which ends in Dispatch (typed handlers) and DefaultHandler.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/colors.h"
#include "framework/component.h"
#include "framework/events.h"
#include "framework/object.h"
#include "framework/win/canvas.h"

namespace tw {

class TWinControl;
class TPopupMenu;
class TForm;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;
// How a control or a list column lines up its text.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

// Bit i is the i-th state: ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble.
using TShiftState = std::uint16_t;
inline constexpr TShiftState ssShift = 1 << 0;
inline constexpr TShiftState ssAlt = 1 << 1;
inline constexpr TShiftState ssCtrl = 1 << 2;
inline constexpr TShiftState ssLeft = 1 << 3;
inline constexpr TShiftState ssRight = 1 << 4;
inline constexpr TShiftState ssMiddle = 1 << 5;
inline constexpr TShiftState ssDouble = 1 << 6;

// The keyboard modifiers held now.
TShiftState KeyboardShiftState();
// The shift state of a mouse message's wParam (MK_* flags) plus the Alt key.
TShiftState MouseShiftState(WPARAM keys);

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crNo = -18;
// The arrow with a small hourglass: the program works on, and still answers.
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  std::string ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* value);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // The client area in the control's own co-ordinates (0, 0 at its top-left).
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  virtual POINT ClientToScreen(POINT p) const;
  virtual POINT ScreenToClient(POINT p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign value);

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible (a form counts when its window is shown).
  virtual bool Showing() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  // The text shown by the control (a form's caption, a panel's text, an edit's contents).
  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& value) { SetText(value); }
  std::string Text() const { return GetText(); }
  void SetText(const std::string& value);

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool value);

  TFont& Font() { return *font_; }
  const TFont& Font() const { return *font_; }
  void SetFont(const TFont& value) { font_->Assign(value); }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool value);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool value);

  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* value);
  // The menu a right click or the context-menu key shows: PopupMenu, unless a control puts
  // together a menu of its own each time.
  virtual TPopupMenu* GetPopupMenu() { return popup_menu_; }

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value) { cursor_ = value; }

  // Sends a message straight to this control's WndProc and returns its result.
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  // Repaints the control's area.
  virtual void Invalidate();
  void Update();
  void BringToFront();

  // The form this control lies on (walking the parents), or null.
  TForm* GetParentForm() const;

  // A control with its own window answers this; others ask their parent.
  virtual bool IsWindowed() const { return false; }
  // The control that owns the hint shown at client point P: this control by default; a toolbar
  // answers with its button under P.
  virtual TControl* HintControlAt(POINT p);

  // Overridable message handling: the control's whole message path.
  virtual void WndProc(TMessage& message);
  // Routes a message to its typed handler; unhandled ones go to DefaultHandler.
  virtual void Dispatch(TMessage& message);
  // What happens to a message nobody handled: nothing for windowless controls; the window's
  // original procedure for windowed ones.
  virtual void DefaultHandler(TMessage& message);

  // Paints a windowless control into its parent's device context, already offset to the
  // control's top-left corner.
  virtual void PaintControl(HDC) {}

  virtual void Click();

  std::function<void(TObject* Sender)> OnClick;
  std::function<void(TObject* Sender)> OnDblClick;
  std::function<void(TObject* Sender)> OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

protected:
  // The parent's setting of a property changed: follow it when the Parent... flag says so.
  virtual void ParentColorChanged();
  virtual void ParentFontChanged();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() {}
  virtual void VisibleChanged();
  virtual void EnabledChanged() {}
  virtual std::string GetText() const { return text_; }
  // Stores the text without telling the window (used when the window reports a new text).
  void StoreText(const std::string& value) { text_ = value; }
  // Bounds changed: remember them, fire OnResize on a size change, and let the parent realign.
  void UpdateBoundsRect(const RECT& r);
  virtual void Resize();
  // Asks the parent to realign its children.
  void RequestAlign();
  // Mouse handling common to windowed and windowless controls (events, click, popup, hints).
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  // Shows the popup menu for a right click or the context key; true when a menu was shown.
  bool DoContextPopup(POINT client_point);
  virtual void Notification(TComponent* AComponent, TOperation Operation) override;

  bool IsDestroying() const { return HasState(csDestroying); }

  TColor color_;

private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  bool parent_color_ = true;
  bool parent_font_ = true;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  bool mouse_captured_click_ = false;
  std::string text_;
  std::string hint_;
  std::unique_ptr<TFont> font_;
  TPopupMenu* popup_menu_ = nullptr;
  TCursor cursor_ = crDefault;
};

// A windowless control that paints itself on its parent's surface.
class TGraphicControl : public TControl {
public:
  using TControl::TControl;
  std::string ClassName() const override { return "TGraphicControl"; }
};

}  // namespace tw
