// The motion frames' budget: which level a frame is drawn at after frames of
// known cost (a clock moved by hand).
#include "render/InteractionController.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A clock whose frames take what the test says.
struct HandClock {
  double now = 0;
  double next = 0;  // cost of the frame being timed
  bool started = false;
  double operator()() {
    if (started) now += next;
    started = !started;
    return now;
  }
};

class Controller : public ::testing::Test {
 protected:
  Controller() : controller_([this] { return clock_(); }) {}
  void Frame(double ms) {
    clock_.next = ms;
    controller_.FrameStarted();
    controller_.FrameFinished();
  }
  HandClock clock_;
  CInteractionController controller_;
};

TEST_F(Controller, TheLevelFollowsTheCostOfTheLastFrames) {
  struct Case {
    const char* name;
    double still;                // the still frame before the motion
    std::vector<double> frames;  // motion frames, in order
    int level;                   // of the frame after them
  };
  const Case cases[] = {
      {"a cheap still frame: motion in full", 40, {}, 0},
      {"a slow still frame: coarser from the first frame", 400, {}, 3},
      {"a slow motion frame: coarser", 40, {300}, 2},
      {"the view gets cheaper: finer again", 40, {300, 60, 10}, 0},
      {"near the budget: no flicker back", 90, {150, 80, 50}, 1},
      {"hopeless: the coarsest", 40, {1e6}, kInteractionLevels - 1},
      {"a stale finer cost is tried again", 1000, {50, 50, 50, 50, 50, 50, 50, 50}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInteractionController fresh([this] { return clock_(); });
    std::swap(controller_, fresh);
    Frame(c.still);
    controller_.Begin();
    for (double ms : c.frames) Frame(ms);
    EXPECT_EQ(controller_.Level(), c.level);
    // A still frame after the motion is the full picture.
    controller_.End();
    EXPECT_EQ(controller_.Level(), 0);
  }
}

}  // namespace
