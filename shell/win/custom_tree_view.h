#pragma once
// TPTCustomTreeView: the tree view base of the shell tree. It wraps every NM_CUSTOMDRAW in a
// TPTTvCustomDraw for its handlers, gets no tool tips on NT, and shows its popup menu for the
// node under a right click, or for the selected node from the Applications key and Shift+F10,
// letting a derived view replace the menu through RequestPopup.

#include <functional>
#include <memory>

#include "framework/win/popup_menu.h"
#include "framework/win/tree_view.h"
#include "shell/win/custom_draw.h"

namespace tw {

using TPTTvCustomDrawEvent =
    std::function<void(TObject* Sender, TPTTvCustomDraw& Draw, TTreeNode* Node)>;
using TPTTvPopupEvent =
    std::function<void(TObject* Sender, TTreeNode* Node, POINT Point, TPopupMenu*& PopupMenu)>;

class TPTCustomTreeView : public TCustomTreeView {
public:
  explicit TPTCustomTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
  std::string ClassName() const override { return "TPTCustomTreeView"; }

  // Raised at item pre-paint only.
  TPTTvCustomDrawEvent OnCustomDrawItem;
  // Raised at every stage (the node is null outside item stages).
  TPTTvCustomDrawEvent OnCustomDrawStage;
  // Asked before a popup menu is shown; may replace the menu or clear it.
  TPTTvPopupEvent OnPopupRequest;

  // The keyboard popup: for the selected node at the centre of its text, else the ordinary
  // popup menu at the view's top-left corner.
  virtual void PopupForSelectedNode();
  // Asks for NODE's popup menu (RequestPopup) and shows what is left at POINT (client).
  virtual void ShowPopupAt(TTreeNode* node, POINT point);

protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void DoNotify(const NMHDR& header, LRESULT& result) override;
  void DoCustomDraw(NMTVCUSTOMDRAW& draw, LRESULT& result) override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void WMContextMenu(TMessage& message) override;

  // Raises the base events and returns the drawing object made for them (or none).
  virtual std::unique_ptr<TPTCustomDraw> CustomDrawHook(NMTVCUSTOMDRAW& draw, LRESULT& result);
  virtual std::unique_ptr<TPTCustomDraw> CreateDrawObject(NMTVCUSTOMDRAW& draw, LRESULT& result);
  virtual void RequestPopup(TTreeNode* node, POINT point, TPopupMenu*& menu);
  // The node a custom-draw notification names (null outside item stages).
  TTreeNode* DrawNode(const NMTVCUSTOMDRAW& draw);

private:
  void ShowMenu(TPopupMenu* menu, POINT point);

  // The latest notification's drawing object: a font it selected must outlive the drawing.
  std::unique_ptr<TPTCustomDraw> draw_object_;
  // Set from a right click's popup to the right button's release.
  bool popup_handled_ = false;
};

}  // namespace tw
