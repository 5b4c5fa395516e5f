// When the motion frames' controller tries a finer level again: only when
// the try is expected to fit the budget, judged by the ratio between levels
// learnt from frames drawn one after the other.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "render/InteractionController.h"

namespace {

TEST(InteractionProbe, AFinerLevelIsTriedOnlyWhenItIsExpectedToFit) {
  struct Case {
    const char* name;
    double still;
    std::vector<std::vector<double>> motions;  // frame costs, motion by motion
    int level;                                 // of the frame after the last one
  };
  const std::vector<double> nine50(9, 50.0);
  const Case cases[] = {
      {"room to spare, the guess fits: tried", 300, {{40, 40, 40, 40, 40, 40, 40, 40}}, 1},
      {"room to spare, the guess misses: not tried", 180, {std::vector<double>(12, 70.0)}, 1},
      {"a try that missed teaches the next motion",
       300,
       {{50, 50, 50, 50, 50, 50, 50, 50, 200, 50}, nine50},
       2},
      {"without the lesson the same motion tries", 300, {nine50}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double now = 0, cost = 0;
    bool started = false;
    CInteractionController controller([&] {
      if (started) now += cost;
      started = !started;
      return now;
    });
    auto frame = [&](double ms) {
      cost = ms;
      controller.FrameStarted();
      controller.FrameFinished();
    };
    frame(c.still);
    for (const auto& motion : c.motions) {
      controller.End();
      controller.Begin();
      for (double ms : motion) frame(ms);
    }
    EXPECT_EQ(controller.Level(), c.level);
  }
}

}  // namespace
