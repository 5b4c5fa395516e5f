// Outside objects for model-tree tests: plain reference-counted IUnknowns
// that count how many are alive, so tests can check that nodes release them.
#pragma once

#include <memory>
#include <vector>

#include "platform/com/Object.h"

namespace kelto::test {

class FakeObject : public kelto::com::Object<FakeObject, IUnknown> {
 public:
  static inline int alive = 0;
  explicit FakeObject(int id = 0) : m_id(id) { ++alive; }
  ~FakeObject() override { --alive; }
  int Id() const { return m_id; }

 private:
  int m_id;
};

// A numbered set of outside objects held for the length of a test.
class FakeObjects {
 public:
  explicit FakeObjects(int count) {
    for (int i = 0; i < count; ++i) m_objects.push_back(kelto::com::MakeObject<FakeObject>(i));
  }
  IUnknown* operator[](int i) const { return m_objects[i]->GetUnknown(); }
  int size() const { return static_cast<int>(m_objects.size()); }

 private:
  std::vector<kelto::com::ComPtr<FakeObject>> m_objects;
};

}  // namespace kelto::test
