#include "framework/component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/exception.h"

namespace tw {
namespace {

// Records every notification and its own destruction into a shared log.
class Probe : public TComponent {
public:
  Probe(TComponent* owner, std::string label, std::vector<std::string>& log)
      : TComponent(owner), label_(std::move(label)), log_(log) {}
  ~Probe() override { log_.push_back("~" + label_); }
  std::string ClassName() const override { return "TProbe"; }
  TComponent* watched = nullptr;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == watched) watched = nullptr;
    log_.push_back(label_ + (operation == opInsert ? "+" : "-") + component->Name());
  }

private:
  std::string label_;
  std::vector<std::string>& log_;
};

TEST(Component, OwnerFreesItsComponentsLastFirst) {
  std::vector<std::string> log;
  auto* form = new Probe(nullptr, "form", log);
  auto* a = new Probe(form, "a", log);
  new Probe(form, "b", log);
  new Probe(a, "a1", log);
  ASSERT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(0), a);
  EXPECT_EQ(a->Owner(), form);
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_THROW(form->Components(2), EListError);
  log.clear();
  delete form;
  EXPECT_EQ(log, (std::vector<std::string>{"~form", "~b", "~a", "~a1"}));
}

TEST(Component, DeletedChildLeavesItsOwnerAndTheOwnerHearsOfIt) {
  std::vector<std::string> log;
  Probe form(nullptr, "form", log);
  auto* button = new Probe(&form, "button", log);
  button->SetName("Button1");
  auto* label = new Probe(&form, "label", log);
  log.clear();
  delete button;
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), label);
  EXPECT_EQ(form.FindComponent("button1"), nullptr);
  // The owner passes the removal down to every component it owns.
  EXPECT_NE(std::find(log.begin(), log.end(), "form-Button1"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "label-Button1"), log.end());
}

TEST(Component, FreeNotificationReachesAComponentOfAnotherOwner) {
  std::vector<std::string> log;
  Probe form1(nullptr, "form1", log), form2(nullptr, "form2", log);
  auto* list = new Probe(&form1, "list", log);
  auto* images = new Probe(&form2, "images", log);
  images->SetName("Images");
  list->watched = images;
  images->FreeNotification(list);
  delete images;
  EXPECT_EQ(list->watched, nullptr);

  // Undone links stay silent, whichever side undoes them.
  auto* other = new Probe(&form2, "other", log);
  list->watched = other;
  other->FreeNotification(list);
  list->RemoveFreeNotification(other);
  delete other;
  EXPECT_EQ(list->watched, other);
}

TEST(Component, PartnerDestroyedFirstIsNotToldLater) {
  std::vector<std::string> log;
  auto* a = new Probe(nullptr, "a", log);
  auto* b = new Probe(nullptr, "b", log);
  a->FreeNotification(b);
  delete b;   // b leaves a's partner list on the way out
  delete a;   // must not touch b
  EXPECT_EQ(log.back(), "~a");
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblingsIgnoringCase) {
  TComponent form(nullptr);
  auto* a = new TComponent(&form);
  auto* b = new TComponent(&form);
  a->SetName("Panel1");
  try {
    b->SetName("PANEL1");
    FAIL() << "duplicate name accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named PANEL1 already exists");
  }
  EXPECT_THROW(b->SetName("1Panel"), EComponentError);
  EXPECT_THROW(b->SetName("Pan el"), EComponentError);
  b->SetName("_panel_2");
  a->SetName("panel1");  // renaming to its own name in another case is fine
  b->SetName("");
  EXPECT_EQ(form.FindComponent("PANEL1"), a);
  EXPECT_EQ(form.FindComponent(""), nullptr);

  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  c->SetName("Panel1");
  EXPECT_THROW(form.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
  c->SetName("Moved");
  form.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &form);
  EXPECT_EQ(other.ComponentCount(), 0);
}

class Flags : public TComponent {
public:
  using TComponent::TComponent;
  ~Flags() override {
    Destroying();
    if (child) seen_destroying = child->HasState(csDestroying);
  }
  TComponent* child = nullptr;
  static inline bool seen_destroying = false;
};

TEST(Component, DestroyingMarksOwnedComponentsAndDesigningStaysClear) {
  auto* parent = new Flags(nullptr);
  parent->child = new TComponent(parent);
  EXPECT_EQ(parent->ComponentState(), 0u);
  EXPECT_FALSE(parent->HasState(csDesigning));
  delete parent;
  EXPECT_TRUE(Flags::seen_destroying);
}

// Logs its Loaded step with whether its partner was still loading at that moment.
class LoadProbe : public TComponent {
public:
  LoadProbe(TComponent* owner, std::string label, std::vector<std::string>& log)
      : TComponent(owner), label_(std::move(label)), log_(log) {}
  std::string ClassName() const override { return "TLoadProbe"; }
  TComponent* partner = nullptr;

protected:
  void Loaded() override {
    TComponent::Loaded();
    log_.push_back(label_ + (partner && partner->HasState(csLoading) ? " (partner loading)" : ""));
  }

private:
  std::string label_;
  std::vector<std::string>& log_;
};

TEST(Component, LoadBracketRunsLoadedOnceOnEveryOwnedComponentAfterAllExist) {
  std::vector<std::string> log;
  LoadProbe form(nullptr, "form", log);
  auto* panel = new LoadProbe(&form, "panel", log);
  auto* inner = new LoadProbe(panel, "inner", log);
  auto* list = new LoadProbe(&form, "list", log);
  inner->partner = list;
  form.BeginLoad();
  // Made after the bracket opened: not loading, so it has no Loaded step to run.
  new LoadProbe(&form, "late", log);
  EXPECT_TRUE(inner->HasState(csLoading));
  form.EndLoad();
  EXPECT_EQ(log, (std::vector<std::string>{"inner (partner loading)", "panel", "list", "form"}));
  for (TComponent* c : std::vector<TComponent*>{&form, panel, inner, list})
    EXPECT_FALSE(c->HasState(csLoading));
  form.EndLoad();
  EXPECT_EQ(log.size(), 4u) << "a second end runs no Loaded step again";
}

TEST(Persistent, DefaultAssignFailsNamingBothClasses) {
  TComponent a(nullptr), b(nullptr);
  try {
    a.Assign(b);
    FAIL() << "assignment between unrelated classes succeeded";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TComponent");
  }
}

}  // namespace
}  // namespace tw
