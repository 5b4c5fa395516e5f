// The selection-name table against a plain map, through growth and frees in
// every order (frees inside probe runs are where an open table loses entries).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

#include "render/SelectionNames.h"

namespace {

CModelNode* FakeNode(std::uint32_t i) {
  return reinterpret_cast<CModelNode*>(std::uintptr_t(i + 1) * 16);
}

TEST(SelectionNames, AgreesWithAMapThroughGrowthAndFrees) {
  CSelectionNames names;
  std::map<std::uint32_t, CModelNode*> expected;
  std::mt19937 random(7);
  std::uint32_t last = 0;
  for (int round = 0; round < 6; ++round) {
    for (std::uint32_t i = 0; i < 3000; ++i) {
      const std::uint32_t name = names.Allocate(FakeNode(i));
      EXPECT_GT(name, last) << "numbers count upwards";
      last = name;
      expected[name] = FakeNode(i);
    }
    // Free about two thirds, in random order.
    std::vector<std::uint32_t> freed;
    for (const auto& [name, node] : expected)
      if (random() % 3 != 0) freed.push_back(name);
    std::shuffle(freed.begin(), freed.end(), random);
    for (const std::uint32_t name : freed) {
      names.Free(name);
      expected.erase(name);
    }
    names.Free(0);
    names.Free(last + 12345);  // never given: ignored
    ASSERT_EQ(names.Size(), expected.size());
    for (std::uint32_t name = 1; name <= last + 1; ++name) {
      const auto it = expected.find(name);
      ASSERT_EQ(names.Resolve(name), it == expected.end() ? nullptr : it->second) << name;
    }
  }
  EXPECT_EQ(names.Resolve(0), nullptr);
}

}  // namespace
