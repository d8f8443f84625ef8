#include "framework/type_info.h"

#include <gtest/gtest.h>

#include "framework/collection.h"
#include "framework/component.h"

namespace tw {
namespace {

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

PTypeInfo ViewStyleType() {
  static const PTypeInfo type = EnumerationType("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  return type;
}

class TBaseView : public TComponent {
public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TBaseView"; }
  int Width() const { return width_; }
  void SetWidth(int w) { width_ = w; }
  std::string caption;
  std::function<void(TObject*)> OnClick;

private:
  int width_ = 100;
};

class TListView : public TBaseView {
public:
  using TBaseView::TBaseView;
  std::string ClassName() const override { return "TListView"; }
  TViewStyle ViewStyle() const { return style_; }
  void SetViewStyle(TViewStyle s) { style_ = s; }
  std::uint16_t options = 0x0005;
  double zoom = 1.5;
  char hot_key = 'A';
  bool visible = true;
  TComponent* images = nullptr;
  int width_override = 0;

private:
  TViewStyle style_ = vsIcon;
};

const bool kRegistered =
    TTypeRegistry::Class<TBaseView>("TBaseView", "TComponent")
        .Integer("Width", &TBaseView::Width, &TBaseView::SetWidth, 100)
        .String("Caption", &TBaseView::caption, &TBaseView::caption)
        .Method("OnClick", &TBaseView::OnClick)
        .Done() &&
    TTypeRegistry::Class<TListView>("TListView", "TBaseView")
        .Enumeration("ViewStyle", ViewStyleType(), &TListView::ViewStyle, &TListView::SetViewStyle, vsIcon)
        .Set("Options", SetType("TOptions", ViewStyleType()), &TListView::options, &TListView::options, 5)
        .Float("Zoom", ftDouble, &TListView::zoom, &TListView::zoom)
        .Char("HotKey", &TListView::hot_key, &TListView::hot_key)
        .Boolean("Visible", &TListView::visible, &TListView::visible, true)
        .Object<TComponent>("Images", "TComponent", &TListView::images, &TListView::images)
        // A read-only redeclaration of the parent's Width keeps the parent's place in the list.
        .Integer("Width", [](TListView& v) { return v.Width() * 2; }, nullptr, 0)
        .Done();

TEST(TypeRegistry, PropertyListRunsFromTheRootClassInDeclarationOrder) {
  TListView view(nullptr);
  std::vector<std::string> names;
  for (const TPropInfo* p : GetPropList(view)) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Width", "Caption", "OnClick", "ViewStyle",
                                             "Options", "Zoom", "HotKey", "Visible", "Images"}));
  names.clear();
  for (const TPropInfo* p : GetPropList(view, {tkEnumeration, tkSet})) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"ViewStyle", "Options", "Visible"}));
  EXPECT_TRUE(TTypeRegistry::Instance().InheritsFrom("TListView", "TPersistent"));
  EXPECT_FALSE(TTypeRegistry::Instance().InheritsFrom("TBaseView", "TListView"));
}

TEST(TypeRegistry, LookupIgnoresCaseAndTheNearestClassWins) {
  TListView view(nullptr);
  view.SetWidth(30);
  const TPropInfo* width = GetPropInfo(view, "WIDTH");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(GetOrdProp(view, *width), 60);
  EXPECT_THROW(SetOrdProp(view, *width, 1), EPropertyError);

  TBaseView base(nullptr);
  const TPropInfo* base_width = GetPropInfo(base, "width");
  SetOrdProp(base, *base_width, 77);
  EXPECT_EQ(base.Width(), 77);
  EXPECT_EQ(GetPropInfo(base, "ViewStyle"), nullptr);
  EXPECT_EQ(GetPropInfo(view, "Missing"), nullptr);
}

TEST(TypeRegistry, GettersAndSettersOfEveryKind) {
  TComponent form(nullptr);
  auto* view = new TListView(&form);
  const auto prop = [&](const char* name) { return *GetPropInfo(*view, name); };

  SetOrdProp(*view, prop("ViewStyle"), vsReport);
  EXPECT_EQ(view->ViewStyle(), vsReport);
  SetOrdProp(*view, prop("Options"), 0x0A);
  EXPECT_EQ(view->options, 0x0A);
  EXPECT_EQ(prop("Options").PropType->ElementType->Names[3], "vsReport");
  SetFloatProp(*view, prop("Zoom"), 0.25L);
  EXPECT_EQ(view->zoom, 0.25);
  view->hot_key = static_cast<char>(0xE9);
  EXPECT_EQ(GetOrdProp(*view, prop("HotKey")), 0xE9);  // a code, never negative
  SetStrProp(*view, prop("Caption"), "Files");
  EXPECT_EQ(view->caption, "Files");
  SetStrProp(*view, prop("Name"), "List1");
  EXPECT_EQ(form.FindComponent("list1"), view);
  SetOrdProp(*view, prop("Visible"), 0);
  EXPECT_FALSE(view->visible);
  EXPECT_EQ(prop("Visible").Default, 1);

  TComponent images(nullptr);
  SetObjectProp(*view, prop("Images"), &images);
  EXPECT_EQ(view->images, &images);
  EXPECT_EQ(GetObjectProp(*view, prop("Images")), &images);
  TCollection not_a_component(TCollection::ItemsOf<TCollectionItem>());
  EXPECT_THROW(SetObjectProp(*view, prop("Images"), &not_a_component), EPropertyError);

  EXPECT_FALSE(prop("OnClick").IsAssigned(*view));
  view->OnClick = [](TObject*) {};
  EXPECT_TRUE(prop("OnClick").IsAssigned(*view));

  EXPECT_THROW(GetStrProp(*view, prop("Zoom")), EPropertyError);
  EXPECT_THROW(GetOrdProp(images, prop("ViewStyle")), EPropertyError);  // not a TListView
}

TEST(TypeRegistry, EnumerationNamesAndValues) {
  const TTypeInfo& style = *ViewStyleType();
  EXPECT_EQ(GetEnumName(style, vsList), "vsList");
  EXPECT_EQ(GetEnumName(style, 4), "");
  EXPECT_EQ(GetEnumName(style, -1), "");
  EXPECT_EQ(GetEnumValue(style, "VSREPORT"), vsReport);
  EXPECT_EQ(GetEnumValue(style, "vsTile"), -1);
  EXPECT_EQ(GetEnumValue(*BooleanType(), "true"), 1);
  EXPECT_EQ(BooleanType()->MaxValue, 1);
}

class TColumn : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  std::string ClassName() const override { return "TColumn"; }
  void Assign(const TPersistent& source) override {
    if (auto* c = dynamic_cast<const TColumn*>(&source)) {
      width = c->width;
      return;
    }
    TCollectionItem::Assign(source);
  }
  int width = 50;
};

TEST(Collection, AddIndexDeleteAssignAndUpdateBatching) {
  TCollection columns(TCollection::ItemsOf<TColumn>());
  int whole_updates = 0;
  columns.OnUpdate = [&](TCollection&, TCollectionItem* item) { whole_updates += item == nullptr; };
  auto* a = static_cast<TColumn*>(columns.Add());
  auto* b = static_cast<TColumn*>(columns.Add());
  EXPECT_EQ(whole_updates, 2);
  b->width = 80;
  b->SetIndex(0);
  EXPECT_EQ(columns.Items(0), b);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_THROW(columns.Items(2), EListError);

  TCollection copy(TCollection::ItemsOf<TColumn>());
  copy.Add();
  copy.Add();
  copy.Add();
  whole_updates = 0;
  copy.OnUpdate = columns.OnUpdate;
  copy.Assign(columns);
  EXPECT_EQ(whole_updates, 1);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(static_cast<TColumn*>(copy.Items(0))->width, 80);

  delete a;  // an item freed by someone else leaves its collection
  EXPECT_EQ(columns.Count(), 1);
  columns.Delete(0);
  EXPECT_EQ(columns.Count(), 0);
}

}  // namespace
}  // namespace tw
