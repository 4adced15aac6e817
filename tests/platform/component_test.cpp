#include "platform/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "expect_message.h"
#include "platform/exceptions.h"

using namespace notarra;

namespace {

// Writes what happens to it into a shared log and keeps one reference to
// another component, which it clears when told that one goes away.
class Logged : public TComponent {
public:
  Logged(TComponent* owner, std::string name, std::vector<std::string>& log) : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~Logged() override {
    log_.push_back("destroy " + Name() + (HasState(csDestroying) ? " (destroying)" : ""));
  }
  TComponent* ref = nullptr;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    log_.push_back(Name() + (operation == opInsert ? " insert " : " remove ") + component->Name());
    if (operation == opRemove && component == ref) ref = nullptr;
    TComponent::Notification(component, operation);
  }

private:
  std::vector<std::string>& log_;
};

// Like Logged, but asks to hear only of what it is linked with, as fields do.
class Quiet : public TComponent {
public:
  Quiet(TComponent* owner, std::string name, std::vector<std::string>& log) : TComponent(owner, nwOnlyWhenLinked), log_(log) {
    SetName(name);
  }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    log_.push_back(Name() + (operation == opInsert ? " insert " : " remove ") + component->Name());
    TComponent::Notification(component, operation);
  }

private:
  std::vector<std::string>& log_;
};

bool Logs(const std::vector<std::string>& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

TEST(Component, OwnerDestroysWhatItOwnsNewestFirst) {
  std::vector<std::string> log;
  auto* form = new Logged(nullptr, "Form", log);
  new Logged(form, "A", log);
  auto* b = new Logged(form, "B", log);
  new Logged(b, "B1", log);
  new Logged(form, "C", log);
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->Components(1), b);
  // Told at construction, before the name is set.
  EXPECT_EQ(std::count(log.begin(), log.end(), "Form insert "), 3);
  log.clear();
  delete form;
  std::vector<std::string> destroyed;
  std::copy_if(log.begin(), log.end(), std::back_inserter(destroyed), [](auto& e) { return e.rfind("destroy", 0) == 0; });
  // Owned components see csDestroying before they go.
  EXPECT_EQ(destroyed, (std::vector<std::string>{"destroy Form", "destroy C (destroying)", "destroy B (destroying)",
                                                  "destroy B1 (destroying)", "destroy A (destroying)"}));
}

TEST(Component, OwnedComponentsHearOfEachOther) {
  std::vector<std::string> log;
  Logged form(nullptr, "Form", log);
  auto* source = new Logged(&form, "dsBlog", log);
  auto* grid = new Logged(&form, "Grid", log);
  grid->ref = source;
  delete source;
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_TRUE(Logs(log, "Form remove dsBlog"));
  EXPECT_EQ(grid->ref, nullptr);
}

TEST(Component, QuietComponentsHearTheirOwnersNoticesOnlyWhileLinkedOrOwning) {
  std::vector<std::string> log;
  Logged form(nullptr, "Form", log);
  auto* field = new Quiet(&form, "Field", log);
  new Logged(&form, "Other", log);
  Logged lookup(nullptr, "Lookup", log);
  delete new Logged(&form, "Gone1", log);
  EXPECT_FALSE(Logs(log, "Field remove Gone1"));
  EXPECT_TRUE(Logs(log, "Other remove Gone1"));

  // Linked: it hears every notice again, until the link goes.
  field->FreeNotification(&lookup);
  delete new Logged(&form, "Gone2", log);
  EXPECT_TRUE(Logs(log, "Field remove Gone2"));
  field->RemoveFreeNotification(&lookup);
  delete new Logged(&form, "Gone3", log);
  EXPECT_FALSE(Logs(log, "Field remove Gone3"));

  // Owning something: the notices pass through it to what it owns.
  auto* child = new Logged(field, "Child", log);
  delete new Logged(&form, "Gone4", log);
  EXPECT_TRUE(Logs(log, "Child remove Gone4"));
  delete child;
  delete new Logged(&form, "Gone5", log);
  EXPECT_FALSE(Logs(log, "Field remove Gone5"));

  // A link the other side ends by going away leaves it quiet again.
  auto* temporary = new Logged(nullptr, "Temporary", log);
  field->FreeNotification(temporary);
  delete temporary;
  EXPECT_TRUE(Logs(log, "Field remove Temporary"));
  delete new Logged(&form, "Gone6", log);
  EXPECT_FALSE(Logs(log, "Field remove Gone6"));

  // Moved to another owner, it is counted there and no longer here.
  Logged other(nullptr, "OtherForm", log);
  field->FreeNotification(&lookup);
  other.InsertComponent(field);
  delete new Logged(&other, "Gone7", log);
  EXPECT_TRUE(Logs(log, "Field remove Gone7"));
  field->RemoveFreeNotification(&lookup);
  delete new Logged(&other, "Gone8", log);
  EXPECT_FALSE(Logs(log, "Field remove Gone8"));
  delete new Logged(&form, "Gone9", log);
  EXPECT_TRUE(Logs(log, "Other remove Gone9"));
  delete field;
}

TEST(Component, FreeNotificationWorksBothWays) {
  std::vector<std::string> log;
  auto* table = new Logged(nullptr, "Table", log);
  auto* dialog = new Logged(nullptr, "Dialog", log);
  dialog->ref = table;
  dialog->FreeNotification(table);
  dialog->FreeNotification(table);  // twice is once
  delete table;
  EXPECT_EQ(dialog->ref, nullptr);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Dialog remove Table"), 1);

  // The holder going first is told to the other side, which then holds no
  // stale link (the address sanitizer would see one used).
  table = new Logged(nullptr, "Table", log);
  dialog->FreeNotification(table);
  delete dialog;
  EXPECT_TRUE(Logs(log, "Table remove Dialog"));
  log.clear();
  delete table;
  EXPECT_EQ(log, std::vector<std::string>{"destroy Table"});

  Logged holder(nullptr, "Holder", log);
  table = new Logged(nullptr, "Table", log);
  holder.FreeNotification(table);
  holder.RemoveFreeNotification(table);
  delete table;
  EXPECT_FALSE(Logs(log, "Holder remove Table"));
}

TEST(Component, LinksAcrossOwnersSurviveTheirTeardown) {
  std::vector<std::string> log;
  auto* formA = new Logged(nullptr, "FormA", log);
  auto* formB = new Logged(nullptr, "FormB", log);
  auto* table = new Logged(formA, "Table", log);
  auto* grid = new Logged(formB, "Grid", log);
  grid->ref = table;
  grid->FreeNotification(table);
  delete formA;
  EXPECT_EQ(grid->ref, nullptr);
  delete formB;
}

TEST(Component, NamesAreFoundIgnoringCaseAndMustBeUnique) {
  std::vector<std::string> log;
  Logged form(nullptr, "Form", log);
  auto* a = new Logged(&form, "BlogI_", log);
  auto* b = new Logged(&form, "Group_", log);
  EXPECT_EQ(form.FindComponent("blogi_"), a);
  EXPECT_EQ(form.FindComponent("GROUP_"), b);
  EXPECT_EQ(form.FindComponent("Missing"), nullptr);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  ExpectMessage<EComponentError>([&] { b->SetName("BLOGI_"); }, "A component named BLOGI_ already exists");
  EXPECT_EQ(b->Name(), "Group_");
  ExpectMessage<EComponentError>([&] { a->SetName("1Table"); }, "'1Table' is not a valid component name");
  EXPECT_THROW(a->SetName("Ta ble"), EComponentError);
  a->SetName("blogi_");  // its own name in other letters
  b->SetName("");
  EXPECT_EQ(a->Name() + "|" + b->Name(), "blogi_|");
}

TEST(Component, MovesBetweenOwnersAndTracksState) {
  std::vector<std::string> log;
  Logged first(nullptr, "First", log), second(nullptr, "Second", log);
  auto* c = new Logged(&first, "C", log);
  second.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_TRUE(Logs(log, "First remove C"));
  EXPECT_TRUE(Logs(log, "Second insert C"));
  second.BeginLoading();
  EXPECT_TRUE(second.HasState(csLoading));
  second.Loaded();
  EXPECT_FALSE(second.HasState(csLoading));
  second.Destroying();
  EXPECT_TRUE(c->HasState(csDestroying));
  second.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(Errors, DatabaseErrorPrefixesTheComponentName) {
  std::vector<std::string> log;
  Logged table(nullptr, "BlogI_", log), unnamed(nullptr, "", log);
  ExpectMessage<EDatabaseError>([&] { DatabaseError("Key violation", &table); }, "BlogI_: Key violation");
  ExpectMessage<EDatabaseError>([&] { DatabaseError("Key violation", &unnamed); }, "Key violation");
  ExpectMessage<EDatabaseError>([] { DatabaseError("Key violation"); }, "Key violation");
  ExpectMessage<EDatabaseError>([&] { DatabaseErrorFmt(&table, "Field '%s' not found (%d)", "Title", 7); },
                                "BlogI_: Field 'Title' not found (7)");
  EXPECT_THROW(Abort(), EAbort);
  std::string longText(5000, 'q');
  EXPECT_EQ(Format("<%s>", longText.c_str()), "<" + longText + ">");
}

}  // namespace
