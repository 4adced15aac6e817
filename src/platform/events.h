// Events: a handler that remembers where it came from. A handler bound from
// an object and one of its methods compares equal to any other binding of
// the same object and method, so a component can ask "is this already my
// handler?", save the current handler and put it back later. A handler made
// from a plain callable has no such identity: it is equal only to its copies.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "platform/component.h"

namespace notarra {

template <typename... Args>
class TEvent {
public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}

  // Any callable taking Args; gets an identity of its own that copies share.
  template <typename F,
            typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                        !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
                                        std::is_invocable_v<F&, Args...>>>
  TEvent(F&& f) : fn_(std::forward<F>(f)), id_(NextId()) {}

  // The method may belong to a base class of the object.
  template <typename Object, typename Class, typename = std::enable_if_t<std::is_base_of_v<Class, Object>>>
  static TEvent Bind(Object* object, void (Class::*method)(Args...)) {
    Class* target = object;
    TEvent e;
    e.fn_ = [target, method](Args... args) { (target->*method)(std::forward<Args>(args)...); };
    e.SetIdentity(target, method);
    return e;
  }
  template <typename Object, typename Class, typename = std::enable_if_t<std::is_base_of_v<Class, Object>>>
  static TEvent Bind(const Object* object, void (Class::*method)(Args...) const) {
    const Class* target = object;
    TEvent e;
    e.fn_ = [target, method](Args... args) { (target->*method)(std::forward<Args>(args)...); };
    e.SetIdentity(target, method);
    return e;
  }

  explicit operator bool() const { return static_cast<bool>(fn_); }

  // Calls the handler; an empty event does nothing.
  void operator()(Args... args) const {
    if (fn_) fn_(std::forward<Args>(args)...);
  }

  // The object a bound handler belongs to; nullptr for other handlers.
  const void* Object() const { return object_; }

  bool operator==(const TEvent& other) const {
    if (!fn_ || !other.fn_) return !fn_ && !other.fn_;
    if (object_ != nullptr || other.object_ != nullptr)
      return object_ == other.object_ && *type_ == *other.type_ && method_ == other.method_;
    return id_ == other.id_;
  }

private:
  // Member function pointers are two words in the usual ABIs; room for four
  // covers the larger forms some compilers use for virtual inheritance.
  using MethodBytes = std::array<unsigned char, 4 * sizeof(void*)>;

  template <typename Object, typename Method>
  void SetIdentity(const Object* object, Method method) {
    static_assert(sizeof(Method) <= sizeof(MethodBytes));
    object_ = object;
    type_ = &typeid(Object);
    std::memcpy(method_.data(), &method, sizeof(Method));
  }

  static uint64_t NextId() {
    static std::atomic<uint64_t> next{0};
    return ++next;
  }

  std::function<void(Args...)> fn_;
  const void* object_ = nullptr;
  const std::type_info* type_ = nullptr;
  MethodBytes method_{};
  uint64_t id_ = 0;
};

using TNotifyEvent = TEvent<TObject*>;

}  // namespace notarra
