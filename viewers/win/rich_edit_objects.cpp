// The editor's embedded objects: closing them, and what the user sees of them, the verb menu in
// the context menu and the object properties dialog.
#include <windows.h>
#include <oledlg.h>

#include "framework/string_table.h"
#include "framework/win/ole_error.h"
#include "framework/win/popup_menu.h"
#include "framework/win/wide_text.h"
#include "viewers/win/ole_ui_link_info.h"
#include "viewers/win/ole_ui_obj_info.h"
#include "viewers/win/rich_edit.h"
#include "viewers/win/rich_edit_object.h"

namespace tw {

namespace {

// The verbs an object offers on its container's menu: its verbs in order, up to the first one
// that is not for that menu (OLE's standard verbs, numbered below 0, come after them).
void AddVerbItems(TPopupMenu& menu, const TRichEditObject& selected, TTwCustomRichEdit& editor) {
  ComPtr<IEnumOLEVERB> verbs;
  // An object without registered verbs (a static picture) simply has none to offer.
  if (FAILED(selected.Object()->EnumVerbs(verbs.Receive())) || !verbs) return;
  OLEVERB verb{};
  while (verbs->Next(1, &verb, nullptr) == S_OK) {
    std::string name = FromWide(verb.lpszVerbName);
    CoTaskMemFree(verb.lpszVerbName);
    if (verb.lVerb < 0 || !(verb.grfAttribs & OLEVERBATTRIB_ONCONTAINERMENU)) break;
    auto* item = new TMenuItem(&menu);
    item->SetCaption(name);
    item->SetTag(verb.lVerb);
    item->SetDefault(verb.lVerb == 0);
    ComPtr<IOleObject> object(selected.Object());
    ComPtr<IOleClientSite> site(selected.Site());
    item->OnClick = [&editor, object, site](TObject* sender) {
      RECT client = editor.ClientRect();
      const LONG number = static_cast<LONG>(static_cast<TMenuItem*>(sender)->Tag());
      OleCheck(object->DoVerb(number, nullptr, site.Get(), 0, editor.Handle(), &client));
    };
    menu.Items()->Add(item);
  }
}

}  // namespace

TPopupMenu* TTwCustomRichEdit::GetPopupMenu() {
  verb_menu_.reset();
  TPopupMenu* menu = PopupMenu();
  if (!auto_verb_menu_ || !rich_edit_ole_) return menu;
  if (SendMessageA(Handle(), EM_SELECTIONTYPE, 0, 0) != SEL_OBJECT) return menu;
  TRichEditObject selected;
  if (!selected.ReadSelected(*rich_edit_ole_.Get()) || selected.InPlaceActive()) return menu;

  verb_menu_ = std::make_unique<TPopupMenu>(nullptr);
  AddVerbItems(*verb_menu_, selected, *this);
  const std::string type_name = selected.UserType(USERCLASSTYPE_FULL);
  auto* properties = new TMenuItem(verb_menu_.get());
  properties->SetCaption(FmtLoadStr(SObjectPropertiesCaption, type_name));
  properties->OnClick = [this](TObject*) { ObjectPropertiesDialog(); };
  TMenuItem* verbs = verb_menu_->Items();
  if (menu && menu->Items()->Count() > 0) {
    auto* line = new TMenuItem(verb_menu_.get());
    line->SetCaption("-");
    menu->Items()->Add(line);
    menu->Items()->Add(properties);
    if (verbs->Count() > 0) {
      verbs->SetCaption(type_name);
      menu->Items()->Add(verbs);
    }
    return menu;
  }
  if (verbs->Count() == 0) {
    verb_menu_.reset();
    return menu;
  }
  verbs->Insert(0, properties);
  return verb_menu_.get();
}

bool TTwCustomRichEdit::ObjectPropertiesDialog() {
  if (!rich_edit_ole_) return false;
  TRichEditObject selected;
  if (!selected.ReadSelected(*rich_edit_ole_.Get()) || selected.InPlaceActive()) return false;
  ComPtr<IOleLink> link = ComPtr<IOleObject>(selected.Object()).As<IOleLink>();
  ComPtr<IOleUIObjInfoA> object_info(new TOleUIObjInfo(*this, selected));
  ComPtr<IOleUILinkInfoA> link_info;
  if (link) link_info = ComPtr<IOleUILinkInfoA>(new TOleUILinkInfo(*this, selected, link));

  const std::string caption = FmtLoadStr(SObjectPropertiesCaption, selected.UserType(USERCLASSTYPE_FULL));
  PROPSHEETHEADERA sheet{};
  sheet.dwSize = sizeof(sheet);
  sheet.hwndParent = Handle();
  sheet.pszCaption = caption.c_str();
  OLEUIGNRLPROPSA general{};
  general.cbStruct = sizeof(general);
  OLEUIVIEWPROPSA view{};
  view.cbStruct = sizeof(view);
  view.dwFlags = VPF_DISABLESCALE;
  OLEUILINKPROPSA link_page{};
  link_page.cbStruct = sizeof(link_page);
  link_page.dwFlags = ELF_DISABLECANCELLINK;
  OLEUIOBJECTPROPSA request{};
  request.cbStruct = sizeof(request);
  request.dwFlags = OPF_DISABLECONVERT | (link ? OPF_OBJECTISLINK : 0);
  request.lpPS = &sheet;
  request.dwObject = kSelectedObject;
  request.lpObjInfo = object_info.Get();
  request.dwLink = kSelectedObject;
  request.lpLinkInfo = link_info.Get();
  request.lpGP = &general;
  request.lpVP = &view;
  request.lpLP = &link_page;
  return OleUIObjectPropertiesA(&request) == OLEUI_OK;
}

void TTwCustomRichEdit::CloseObjects() {
  if (!rich_edit_ole_) return;
  for (LONG i = rich_edit_ole_->GetObjectCount() - 1; i >= 0; --i) {
    REOBJECT object{};
    object.cbStruct = sizeof(object);
    // The interface was declared while GetObject still stood for GetObjectA.
    if (FAILED(rich_edit_ole_->GetObjectA(i, &object, REO_GETOBJ_POLEOBJ)) || !object.poleobj) continue;
    auto ole_object = ComPtr<IOleObject>::Adopt(object.poleobj);
    if (object.dwFlags & REO_INPLACEACTIVE) rich_edit_ole_->InPlaceDeactivate();
    ole_object->Close(OLECLOSE_NOSAVE);
  }
}

}  // namespace tw
