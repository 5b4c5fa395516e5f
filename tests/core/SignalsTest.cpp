#include "core/Signals.h"

#include <gtest/gtest.h>


namespace {

std::vector<std::string> g_calls;

struct Receiver : sigslot::has_slots<> {
  explicit Receiver(std::string n) : name(std::move(n)) {}
  std::string name;
  void Zero() { g_calls.push_back(name + ":0"); }
  void One(int a) { g_calls.push_back(name + ":" + std::to_string(a)); }
};

class SignalsTest : public ::testing::Test {
 protected:
  void SetUp() override { g_calls.clear(); }
};

// Plain emission is what every event of the view and renderer goes through;
// here what changes the connection list.
TEST_F(SignalsTest, DisconnectedOrDestroyedReceiverIsNeverCalledAgain) {
  Receiver a("a"), b("b");
  sigslot::signal1<int> s;
  s.connect(&a, &Receiver::One);
  s.connect(&b, &Receiver::One);
  s.connect(&a, &Receiver::One);
  s.disconnect(&a);  // all of a's connections
  s(1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"b:1"}));
  EXPECT_EQ(a.connected_signal_count(), 0u);
  EXPECT_EQ(s.connection_count(), 1u);

  auto c = std::make_unique<Receiver>("c");
  s.connect(c.get(), &Receiver::One);
  c.reset();
  s(3);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"b:1", "b:3"}));
  EXPECT_EQ(s.connection_count(), 1u);
  // A signal that dies first leaves its receivers with nothing of it.
  {
    sigslot::signal0<> other;
    other.connect(&a, &Receiver::Zero);
  }
  EXPECT_EQ(a.connected_signal_count(), 0u);
}

// Receivers that change the connection list while an emission runs.
struct Mutator : sigslot::has_slots<> {
  enum Action { kSelfDisconnect, kDisconnectVictim, kDeleteVictim, kConnectLate };
  Mutator(sigslot::signal0<>* s, std::string n, Action a)
      : signal(s), name(std::move(n)), action(a) {}
  sigslot::signal0<>* signal;
  std::string name;
  Action action;
  Mutator* victim = nullptr;
  Receiver* late = nullptr;
  void Fire() {
    g_calls.push_back(name);
    switch (action) {
      case kSelfDisconnect:
        signal->disconnect(this);
        break;
      case kDisconnectVictim:
        signal->disconnect(victim);
        break;
      case kDeleteVictim:
        delete victim;
        break;
      case kConnectLate:
        signal->connect(late, &Receiver::Zero);
        break;
    }
  }
};

TEST_F(SignalsTest, ReceiverMayDisconnectItselfOrOthersDuringEmit) {
  sigslot::signal0<> s;
  Mutator first(&s, "first", Mutator::kSelfDisconnect), second(&s, "second", first.action);
  Receiver third("third");
  s.connect(&first, &Mutator::Fire);
  s.connect(&second, &Mutator::Fire);
  s.connect(&third, &Receiver::Zero);
  s();
  s();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"first", "second", "third:0", "third:0"}));

  g_calls.clear();
  sigslot::signal0<> t;
  Mutator killer(&t, "killer", Mutator::kDisconnectVictim);
  auto* victim = new Mutator(&t, "victim", Mutator::kSelfDisconnect);
  killer.victim = victim;
  t.connect(&killer, &Mutator::Fire);
  t.connect(victim, &Mutator::Fire);
  t();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"killer"}));
  // Deleting the next receiver from inside an emission must not reach it.
  g_calls.clear();
  t.connect(victim, &Mutator::Fire);
  killer.action = Mutator::kDeleteVictim;
  t();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"killer"}));
  EXPECT_EQ(t.connection_count(), 1u);
}

TEST_F(SignalsTest, ConnectionMadeDuringEmitTakesPartFromTheNextEmit) {
  sigslot::signal0<> s;
  Mutator m(&s, "m", Mutator::kConnectLate);
  Receiver late("late");
  m.late = &late;
  s.connect(&m, &Mutator::Fire);
  s();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"m"}));
  s.disconnect(&m);
  s();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"m", "late:0"}));
}

struct Thrower : sigslot::has_slots<> {
  sigslot::signal0<>* signal = nullptr;
  void Fire() {
    signal->disconnect(this);
    throw std::runtime_error("boom");
  }
};

TEST_F(SignalsTest, ReceiverThrowingLeavesSignalUsable) {
  sigslot::signal0<> s;
  Thrower t;
  Receiver a("a");
  t.signal = &s;
  s.connect(&t, &Thrower::Fire);
  s.connect(&a, &Receiver::Zero);
  EXPECT_THROW(s(), std::runtime_error);
  s();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"a:0"}));
  EXPECT_EQ(s.connection_count(), 1u);
}

}  // namespace
