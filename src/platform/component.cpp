#include "platform/component.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/exceptions.h"

namespace notarra {

namespace {

bool IsValidIdent(const std::string& name) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (name.empty() || !alpha(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

// Entries are unique; the newest are the likeliest to go first, so the search runs from the back.
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  auto it = std::find(list.rbegin(), list.rend(), item);
  if (it != list.rend()) list.erase(std::next(it).base());
}

void AddOnce(std::vector<TComponent*>& list, TComponent* item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

}  // namespace

TComponent::TComponent(TComponent* owner) : TComponent(owner, nwAll) {}

TComponent::TComponent(TComponent* owner, TNoticesWanted wanted) : onlyWhenLinked_(wanted == nwOnlyWhenLinked) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Everyone linked to us by free notification hears of it, newest first.
  // Each Notification unlinks the pair, and may unlink others, so take the
  // last entry afresh every time.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    Erase(other->freeNotifies_, this);
    other->SyncListening();
    other->Notification(this, opRemove);
  }
  // Owned components go in reverse order of insertion. They are taken off
  // the list first, so they do not call back into this half-destroyed owner.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    components_.pop_back();
    child->countedListening_ = false;
    child->owner_ = nullptr;
    delete child;
  }
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name)) throw EComponentError(Format("'%s' is not a valid component name", name.c_str()));
  if (owner_ != nullptr && !name.empty()) {
    TComponent* found = owner_->FindComponent(name);
    if (found != nullptr && found != this)
      throw EComponentError(Format("A component named %s already exists", name.c_str()));
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (AnsiSameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr || component->owner_ == this) return;
  if (!component->name_.empty() && FindComponent(component->name_) != nullptr)
    throw EComponentError(Format("A component named %s already exists", component->name_.c_str()));
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  component->SyncListening();
  SyncListening();
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return;
  Notification(component, opRemove);
  Erase(components_, component);
  if (component->countedListening_) --listeners_;
  component->countedListening_ = false;
  component->owner_ = nullptr;
  SyncListening();
}

void TComponent::BeginLoading() { state_ |= csLoading; }

void TComponent::Loaded() { state_ &= ~static_cast<TComponentState>(csLoading); }

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  // Linked both ways: whichever of the two goes first tells the other.
  AddOnce(component->freeNotifies_, this);
  AddOnce(freeNotifies_, component);
  component->SyncListening();
  SyncListening();
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  Erase(freeNotifies_, component);
  Erase(component->freeNotifies_, this);
  component->SyncListening();
  SyncListening();
}

void TComponent::SyncListening() {
  const bool listens = owner_ != nullptr && Listens();
  if (listens == countedListening_) return;
  if (owner_ != nullptr) owner_->listeners_ += listens ? 1 : -1;
  countedListening_ = listens;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
  // Passed on to everything this component owns, so components on one form
  // hear of each other without registering. The list may shrink meanwhile.
  // Owned components that only hear of what they are linked with are passed by.
  for (std::size_t i = components_.size(); listeners_ > 0 && i-- > 0;) {
    if (i >= components_.size()) {
      if (components_.empty()) break;
      i = components_.size() - 1;
    }
    if (components_[i]->countedListening_) components_[i]->Notification(component, operation);
  }
}

}  // namespace notarra
