// A finer level is tried again only when the try is expected to fit the
// budget, by the ratio between levels learnt from consecutive frames.
#include <gtest/gtest.h>

#include <vector>

#include "render/InteractionController.h"

TEST(InteractionProbe, AFinerLevelIsTriedOnlyWhenExpectedToFit) {
  const std::vector<double> nine50(9, 50.0), twelve70(12, 70.0),
      tried{50, 50, 50, 50, 50, 50, 50, 50, 200, 50};
  const struct {
    double still;
    std::vector<std::vector<double>> motions;  // frame costs
    int level;                                 // of the next frame
  } cases[] = {{300, {nine50}, 1}, {180, {twelve70}, 1}, {300, {tried, nine50}, 2}};
  for (const auto& c : cases) {
    double now = 0, cost = 0;
    CInteractionController controller([&] { return now += cost; });
    const auto frame = [&](double ms) {
      cost = 0;
      controller.FrameStarted();
      cost = ms;
      controller.FrameFinished();
    };
    frame(c.still);
    for (const auto& motion : c.motions) {
      controller.End();
      controller.Begin();
      for (double ms : motion) frame(ms);
    }
    EXPECT_EQ(controller.Level(), c.level) << c.still << " " << c.motions.size();
  }
}
