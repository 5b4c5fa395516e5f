// Typed signals whose connections die with either side.
//
//   class CView : public sigslot::has_slots<> {
//     void OnSelection(CModelNode* was, CModelNode* now);
//   };
//   sigslot::signal2<CModelNode*, CModelNode*> SelectionChanged;
//   SelectionChanged.connect(&view, &CView::OnSelection);
//   SelectionChanged(oldNode, newNode);
//
// Every signal and every receiver guards its own connection list or signal set
// with its own lock (multi_threaded_local). A signal holds its lock for the
// whole of an emission; the lock is recursive so that a receiver may connect
// or disconnect while it is being called.
//
// Emission is safe against changes made by the receivers it calls: a
// connection removed during an emission (the receiver disconnecting itself or
// another receiver, or being destroyed) is marked dead and never called again,
// and is freed when the outermost emission ends; connections made during an
// emission are first called by the next one. Destroying the signal itself from
// inside one of its own receivers is not supported.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <memory>
#include <mutex>
#include <set>

namespace sigslot {

// One lock per object. Copying an object gives the copy a lock of its own.
class multi_threaded_local {
 public:
  multi_threaded_local() = default;
  multi_threaded_local(const multi_threaded_local&) noexcept {}
  multi_threaded_local& operator=(const multi_threaded_local&) noexcept { return *this; }
  virtual ~multi_threaded_local() = default;

  virtual void lock() { m_mutex.lock(); }
  virtual void unlock() { m_mutex.unlock(); }

 private:
  std::recursive_mutex m_mutex;
};

template <class mt_policy>
class lock_block {
 public:
  explicit lock_block(mt_policy* mutex) : m_mutex(mutex) { m_mutex->lock(); }
  lock_block(const lock_block&) = delete;
  lock_block& operator=(const lock_block&) = delete;
  ~lock_block() { m_mutex->unlock(); }

 private:
  mt_policy* m_mutex;
};

template <class mt_policy>
class has_slots;

// What a receiver needs from any signal it is connected to.
template <class mt_policy>
class _signal_base : public mt_policy {
 public:
  // Drops every connection aimed at the receiver (the receiver is going away
  // and clears its own signal set).
  virtual void slot_disconnect(has_slots<mt_policy>* receiver) = 0;
  // Adds, for each connection aimed at oldReceiver, the same connection aimed
  // at newReceiver (a receiver was copied).
  virtual void slot_duplicate(const has_slots<mt_policy>* oldReceiver,
                              has_slots<mt_policy>* newReceiver) = 0;
};

// Base of every receiver: remembers the signals it is connected to, so that
// its destruction can disconnect it from all of them.
template <class mt_policy = multi_threaded_local>
class has_slots : public mt_policy {
 public:
  has_slots() = default;
  // The copy gets the same connections as the original.
  has_slots(const has_slots& other) : mt_policy() { CopyConnectionsFrom(other); }
  has_slots& operator=(const has_slots& other) {
    if (this != &other) {
      disconnect_all();
      CopyConnectionsFrom(other);
    }
    return *this;
  }
  ~has_slots() override { disconnect_all(); }

  void signal_connect(_signal_base<mt_policy>* sender) {
    lock_block<mt_policy> lock(this);
    m_senders.insert(sender);
  }
  void signal_disconnect(_signal_base<mt_policy>* sender) {
    lock_block<mt_policy> lock(this);
    m_senders.erase(sender);
  }
  // Disconnects this receiver from every signal.
  void disconnect_all() {
    lock_block<mt_policy> lock(this);
    std::set<_signal_base<mt_policy>*> senders;
    senders.swap(m_senders);
    for (auto* sender : senders) sender->slot_disconnect(this);
  }
  std::size_t connected_signal_count() const {
    lock_block<mt_policy> lock(const_cast<has_slots*>(this));
    return m_senders.size();
  }

 private:
  void CopyConnectionsFrom(const has_slots& other) {
    std::set<_signal_base<mt_policy>*> senders;
    {
      lock_block<mt_policy> lock(const_cast<has_slots*>(&other));
      senders = other.m_senders;
    }
    // slot_duplicate registers the signal with this receiver.
    for (auto* sender : senders) sender->slot_duplicate(&other, this);
  }

  std::set<_signal_base<mt_policy>*> m_senders;
};

// A connection: a receiver and one of its member functions.
template <class mt_policy, class... Args>
class _connection_base {
 public:
  virtual ~_connection_base() = default;
  virtual has_slots<mt_policy>* getdest() const = 0;
  virtual void emit(Args... args) = 0;
  virtual std::unique_ptr<_connection_base> clone() const = 0;
  virtual std::unique_ptr<_connection_base> duplicate(has_slots<mt_policy>* newdest) const = 0;
};

template <class mt_policy>
using _connection_base0 = _connection_base<mt_policy>;
template <class A1, class mt_policy>
using _connection_base1 = _connection_base<mt_policy, A1>;
template <class A1, class A2, class mt_policy>
using _connection_base2 = _connection_base<mt_policy, A1, A2>;
template <class A1, class A2, class A3, class mt_policy>
using _connection_base3 = _connection_base<mt_policy, A1, A2, A3>;

// The receiver is kept as its has_slots base and turned back into dest_type
// only when called: a connection duplicated for a receiver that is being
// copied exists before the copy's dest_type part does.
template <class dest_type, class mt_policy, class... Args>
class _connection final : public _connection_base<mt_policy, Args...> {
 public:
  using member_function = void (dest_type::*)(Args...);

  _connection(has_slots<mt_policy>* receiver, member_function function)
      : m_receiver(receiver), m_function(function) {}

  has_slots<mt_policy>* getdest() const override { return m_receiver; }
  void emit(Args... args) override { (static_cast<dest_type*>(m_receiver)->*m_function)(args...); }
  std::unique_ptr<_connection_base<mt_policy, Args...>> clone() const override {
    return std::make_unique<_connection>(m_receiver, m_function);
  }
  std::unique_ptr<_connection_base<mt_policy, Args...>> duplicate(
      has_slots<mt_policy>* newdest) const override {
    return std::make_unique<_connection>(newdest, m_function);
  }

 private:
  has_slots<mt_policy>* m_receiver;
  member_function m_function;
};

template <class dest_type, class mt_policy>
using _connection0 = _connection<dest_type, mt_policy>;
template <class dest_type, class A1, class mt_policy>
using _connection1 = _connection<dest_type, mt_policy, A1>;
template <class dest_type, class A1, class A2, class mt_policy>
using _connection2 = _connection<dest_type, mt_policy, A1, A2>;
template <class dest_type, class A1, class A2, class A3, class mt_policy>
using _connection3 = _connection<dest_type, mt_policy, A1, A2, A3>;

// The connection list and emission shared by signal0 … signal3.
template <class mt_policy, class... Args>
class _signal_base_n : public _signal_base<mt_policy> {
  using connection = _connection_base<mt_policy, Args...>;
  using receiver = has_slots<mt_policy>;

 public:
  _signal_base_n() = default;
  // A copied signal calls the same receivers.
  _signal_base_n(const _signal_base_n& other) : _signal_base<mt_policy>() {
    lock_block<mt_policy> lock(const_cast<_signal_base_n*>(&other));
    for (const auto& entry : other.m_connected) {
      if (entry.dead) continue;
      m_connected.push_back({entry.conn->clone(), false});
      entry.conn->getdest()->signal_connect(this);
    }
  }
  _signal_base_n& operator=(const _signal_base_n&) = delete;
  ~_signal_base_n() override { disconnect_all(); }

  // Appends a connection; the receiver's member function is called by every
  // later emission, after the connections made before it.
  template <class dest_type>
  void connect(dest_type* object, void (dest_type::*function)(Args...)) {
    lock_block<mt_policy> lock(this);
    receiver* target = object;
    m_connected.push_back(
        {std::make_unique<_connection<dest_type, mt_policy, Args...>>(target, function), false});
    target->signal_connect(this);
  }

  // Removes every connection aimed at the receiver.
  void disconnect(receiver* object) {
    lock_block<mt_policy> lock(this);
    bool found = false;
    for (auto it = m_connected.begin(); it != m_connected.end();) {
      if (!it->dead && it->conn->getdest() == object) {
        it = Kill(it);
        found = true;
      } else {
        ++it;
      }
    }
    if (found) object->signal_disconnect(this);
  }

  void disconnect_all() {
    lock_block<mt_policy> lock(this);
    for (auto it = m_connected.begin(); it != m_connected.end();) {
      if (!it->dead) it->conn->getdest()->signal_disconnect(this);
      it = Kill(it);
    }
  }

  std::size_t connection_count() const {
    lock_block<mt_policy> lock(const_cast<_signal_base_n*>(this));
    std::size_t n = 0;
    for (const auto& entry : m_connected) n += entry.dead ? 0 : 1;
    return n;
  }

  void slot_disconnect(receiver* object) override {
    lock_block<mt_policy> lock(this);
    for (auto it = m_connected.begin(); it != m_connected.end();) {
      if (!it->dead && it->conn->getdest() == object) {
        it = Kill(it);
      } else {
        ++it;
      }
    }
  }

  void slot_duplicate(const receiver* oldReceiver, receiver* newReceiver) override {
    lock_block<mt_policy> lock(this);
    std::list<Entry> added;
    for (const auto& entry : m_connected) {
      if (!entry.dead && entry.conn->getdest() == oldReceiver) {
        added.push_back({entry.conn->duplicate(newReceiver), false});
      }
    }
    if (added.empty()) return;
    m_connected.splice(m_connected.end(), added);
    newReceiver->signal_connect(this);
  }

  // Calls every connection in connection order.
  void emit(Args... args) {
    lock_block<mt_policy> lock(this);
    if (m_connected.empty()) return;
    EmitScope scope(this);
    // Only the connections present when the emission starts take part.
    const auto last = std::prev(m_connected.end());
    for (auto it = m_connected.begin();; ++it) {
      if (!it->dead) it->conn->emit(args...);
      if (it == last) break;
    }
  }
  void operator()(Args... args) { emit(args...); }

 private:
  struct Entry {
    std::unique_ptr<connection> conn;
    bool dead;
  };
  using iterator = typename std::list<Entry>::iterator;

  // Tracks nested emissions; the outermost one frees dead connections, also
  // when a receiver throws.
  class EmitScope {
   public:
    explicit EmitScope(_signal_base_n* signal) : m_signal(signal) { ++m_signal->m_emitDepth; }
    EmitScope(const EmitScope&) = delete;
    EmitScope& operator=(const EmitScope&) = delete;
    ~EmitScope() {
      if (--m_signal->m_emitDepth == 0 && m_signal->m_deadCount) m_signal->Purge();
    }

   private:
    _signal_base_n* m_signal;
  };

  // Removes a connection now, or marks it dead while an emission may be
  // standing on it.
  iterator Kill(iterator it) {
    if (m_emitDepth == 0) return m_connected.erase(it);
    if (!it->dead) {
      it->dead = true;
      ++m_deadCount;
    }
    return std::next(it);
  }
  void Purge() {
    m_connected.remove_if([](const Entry& entry) { return entry.dead; });
    m_deadCount = 0;
  }

  std::list<Entry> m_connected;
  int m_emitDepth = 0;
  std::size_t m_deadCount = 0;
};

template <class mt_policy>
using _signal_base0 = _signal_base_n<mt_policy>;
template <class A1, class mt_policy>
using _signal_base1 = _signal_base_n<mt_policy, A1>;
template <class A1, class A2, class mt_policy>
using _signal_base2 = _signal_base_n<mt_policy, A1, A2>;
template <class A1, class A2, class A3, class mt_policy>
using _signal_base3 = _signal_base_n<mt_policy, A1, A2, A3>;

template <class mt_policy = multi_threaded_local>
class signal0 : public _signal_base0<mt_policy> {};

template <class A1, class mt_policy = multi_threaded_local>
class signal1 : public _signal_base1<A1, mt_policy> {};

template <class A1, class A2, class mt_policy = multi_threaded_local>
class signal2 : public _signal_base2<A1, A2, mt_policy> {};

template <class A1, class A2, class A3, class mt_policy = multi_threaded_local>
class signal3 : public _signal_base3<A1, A2, A3, mt_policy> {};

}  // namespace sigslot
