#pragma once
// TPTCustomListView: the list view base of the shell list. It wraps every NM_CUSTOMDRAW in a
// TPTLvCustomDraw for its handlers, and shows its popup menu at the selection for the mouse,
// the Applications key and Shift+F10 alike, letting a derived view replace the menu through
// RequestPopup.

#include <functional>
#include <memory>

#include "framework/win/list_view.h"
#include "framework/win/popup_menu.h"
#include "shell/win/custom_draw.h"

namespace tw {

using TPTLvCustomDrawEvent =
    std::function<void(TObject* Sender, TPTLvCustomDraw& Draw, TListItem* Item)>;
using TPTLvPopupEvent =
    std::function<void(TObject* Sender, TListItem* Item, POINT Point, TPopupMenu*& PopupMenu)>;

class TPTCustomListView : public TCustomListView {
public:
  explicit TPTCustomListView(TComponent* AOwner) : TCustomListView(AOwner) {}
  std::string ClassName() const override { return "TPTCustomListView"; }

  // Raised at item pre-paint only.
  TPTLvCustomDrawEvent OnCustomDrawItem;
  // Raised at every stage (the item is null outside item stages).
  TPTLvCustomDrawEvent OnCustomDrawStage;
  // Asked before a popup menu is shown; may replace the menu or clear it.
  TPTLvPopupEvent OnPopupRequest;

  // Shows the popup for the selection: at the centre of the focused item's icon when it is
  // selected, else of the first selected item's icon; without such an item the ordinary popup
  // menu at POINT (client co-ordinates).
  virtual void PopupForSelection(POINT point);
  // Asks for the popup menu (RequestPopup) and shows what is left at POINT.
  virtual void ShowPopupAt(POINT point);

protected:
  void WndProc(TMessage& message) override;
  void DoNotify(const NMHDR& header, LRESULT& result) override;
  void DoCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;

  // Raises the base events and returns the drawing object made for them (or none).
  virtual std::unique_ptr<TPTCustomDraw> CustomDrawHook(NMLVCUSTOMDRAW& draw, LRESULT& result);
  virtual std::unique_ptr<TPTCustomDraw> CreateDrawObject(NMLVCUSTOMDRAW& draw, LRESULT& result);
  virtual void RequestPopup(TListItem* item, POINT point, TPopupMenu*& menu);
  // The control's begin-drag (BUTTON mbLeft) or begin-right-drag (mbRight) notification for
  // the item at index ITEM; nothing happens in the base.
  virtual void BeginItemDrag(TMouseButton button, int item);
  // The item a custom-draw notification names (null outside item stages).
  TListItem* DrawItem(const NMLVCUSTOMDRAW& draw);
  // Shows the ordinary popup menu (if any) at the client point.
  void ShowOrdinaryPopup(POINT point);

  void WMContextMenu(TMessage& message) override;

private:
  // The latest notification's drawing object: a font it selected must outlive the drawing.
  std::unique_ptr<TPTCustomDraw> draw_object_;
  // Set from a right click's popup to the right button's release.
  bool popup_handled_ = false;
};

// Whether KEY with SHIFT asks for the context menu: the Applications key alone, or Shift+F10.
bool IsContextMenuKey(WORD key, TShiftState shift);

// The centre of a rectangle.
POINT CentreOf(const RECT& rect);

}  // namespace tw
