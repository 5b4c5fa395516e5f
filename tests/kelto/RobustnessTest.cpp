// Damaged files: whatever the bytes, a load either succeeds or throws
// LoadError, and a failed load changes nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "PlantText.h"
#include "kelto/data/File.h"

using namespace kelto::data;

namespace {

// Loads `text` into a file holding the sample; true when it loaded.
bool LoadOver(File& file, const std::string& text) {
  try {
    file.LoadText(text, "damaged.json");
    return true;
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("damaged.json"), std::string::npos);
    return false;
  }
}

}  // namespace

TEST(Robustness, EveryTruncationFailsCleanly) {
  const std::string sample = kelto::test::ReadExample("drain-spool.json");
  File file;
  file.LoadText(sample, "sample.json");
  const Component* valve = file.FindComponent("D401-V1");
  for (std::size_t n = 0; n < sample.size(); n += 3) {
    // Only the whole text (give or take trailing white space) is a file.
    if (LoadOver(file, sample.substr(0, n))) continue;
    ASSERT_EQ(file.Path(), "sample.json") << n;
    ASSERT_EQ(file.FindComponent("D401-V1"), valve) << n;
    ASSERT_EQ(file.Components().size(), 7u) << n;
  }
}

TEST(Robustness, ByteMutationsNeverCrash) {
  const std::string sample = kelto::test::ReadExample("drain-spool.json");
  std::uint64_t state = 12345;
  auto next = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  static const char kBytes[] = "{}[]\",:0123456789.-+eE \n\\/*tfnul\x01\xff";
  std::size_t loaded = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = sample;
    for (int k = 0, edits = 1 + static_cast<int>(next() % 3); k < edits; ++k)
      text[next() % text.size()] = kBytes[next() % (sizeof kBytes - 1)];
    File file;
    if (LoadOver(file, text)) {
      ++loaded;
      // Whatever loaded is whole: every leg names points of its own component.
      for (const Component* c : file.Components())
        for (const Leg& leg : c->Legs()) {
          ASSERT_EQ(&file.OwnerOf(file.FromPoint(leg)), c);
          ASSERT_EQ(&file.OwnerOf(file.ToPoint(leg)), c);
        }
    }
  }
  EXPECT_LT(loaded, 3000u);
}
