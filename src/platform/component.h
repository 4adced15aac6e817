// The component model: objects with a Name, an Owner that destroys what it
// owns, a component state, and free notification: an object that keeps a
// reference to a component registers with FreeNotification and is told
// through Notification(component, opRemove) when that component goes away,
// so it can clear its reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/exceptions.h"

namespace notarra {

// Invalid or duplicate component names.
class EComponentError : public Exception {
public:
  using Exception::Exception;
};

class TObject {
public:
  virtual ~TObject() = default;
};

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csUpdating = 1u << 5,
};
using TComponentState = uint32_t;

class TComponent : public TObject {
public:
  explicit TComponent(TComponent* owner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name);
  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  TComponent* FindComponent(const std::string& name) const;  // case-insensitive
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  bool HasState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }
  // The form description's reading: Loading() sets csLoading, Loaded() clears it.
  void BeginLoading();
  virtual void Loaded();
  // Sets csDestroying and tells the owned components too. The destructor
  // calls it before the owned components go; a derived destructor that
  // wants the flag for its own clean-up calls it first.
  void Destroying();

  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t tag) { tag_ = tag; }

  // Asks to be told (Notification with opRemove) when component is destroyed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

protected:
  // Told of components inserted into and removed from this one or its owned
  // ones, and (opRemove) of linked components going away. Overrides clear
  // their references and then call TComponent::Notification, which unlinks
  // the pair and passes the notice on to the owned components.
  virtual void Notification(TComponent* component, TOperation operation);

  // For classes whose Notification concerns only the components they are
  // linked with by FreeNotification (and what they own): while such a
  // component has neither links nor owned components, its owner's notices
  // pass it by. A dataset's thousands of default fields then cost nothing
  // each time one of them comes or goes. Given at construction, so that the
  // owner does not count the component as listening even for its insertion.
  enum TNoticesWanted { nwAll, nwOnlyWhenLinked };
  TComponent(TComponent* owner, TNoticesWanted wanted);

private:
  bool Listens() const { return !onlyWhenLinked_ || !freeNotifies_.empty() || !components_.empty(); }
  // Brings the owner's count of listening components up to date with this one.
  void SyncListening();

  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool onlyWhenLinked_ = false;
  bool countedListening_ = false;  // included in owner_->listeners_
  int listeners_ = 0;              // owned components that Listens(); kept by SyncListening
  TComponentState state_ = 0;
  intptr_t tag_ = 0;
};

}  // namespace notarra
