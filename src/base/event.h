// Event<Args...>: a notification with any number of listeners. A listener is
// added with listen() and removed with its id (or by letting the returned
// Subscription go out of scope); listeners do not know each other, and none
// may depend on the order in which the others run. Notifying works on a copy
// of the listener list, so a listener may add or remove listeners (itself
// included) while it runs; one removed during a notification is not called
// afterwards. Single-threaded: notify, listen and unlisten on the owner's thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace q3 {

template <typename... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;
  using Id = int;

  Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  Id listen(Handler h) {
    const Id id = ++m_lastId;
    m_entries.push_back(std::make_shared<Entry>(Entry{id, std::move(h), true}));
    return id;
  }

  void unlisten(Id id) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
      if ((*it)->id != id) continue;
      (*it)->alive = false;
      m_entries.erase(it);
      return;
    }
  }

  void notify(Args... args) const {
    const auto snapshot = m_entries;
    for (const auto& e : snapshot)
      if (e->alive) e->handler(args...);
  }

  std::size_t listenerCount() const { return m_entries.size(); }

  // Removes its listener when destroyed; keep it beside the object whose
  // members the listener uses, so it cannot outlive them. An event that is
  // gone first leaves nothing to remove.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Event* e, Id id) : m_event(e), m_alive(e->m_alive), m_id(id) {}
    Subscription(Subscription&& o) noexcept { *this = std::move(o); }
    Subscription& operator=(Subscription&& o) noexcept {
      if (this != &o) {
        reset();
        m_event = std::exchange(o.m_event, nullptr);
        m_alive = std::move(o.m_alive);
        m_id = o.m_id;
      }
      return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }
    void reset() {
      if (m_event && !m_alive.expired()) m_event->unlisten(m_id);
      m_event = nullptr;
      m_alive.reset();
    }

   private:
    Event* m_event = nullptr;
    std::weak_ptr<const bool> m_alive;
    Id m_id = 0;
  };

  [[nodiscard]] Subscription subscribe(Handler h) {
    return Subscription(this, listen(std::move(h)));
  }

 private:
  struct Entry {
    Id id;
    Handler handler;
    bool alive;
  };
  std::vector<std::shared_ptr<Entry>> m_entries;
  Id m_lastId = 0;
  std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

}  // namespace q3
