// CInteractionController: keeps the frames drawn during motion within a
// time budget.
//
// While motion is in progress (Begin … End) each frame draws at one level of
// InteractionDetail.h, the finest whose expected cost fits the budget. The
// expected cost of a level is what the frame drawn at it last took; levels
// not drawn yet are guessed from the nearest drawn one, each level coarser
// taken as costing kLevelRatio of the one before. Every measured frame also
// rescales the guesses of the other levels by how far its own level's cost
// moved, since what moves one level's cost (zooming in, the machine's load)
// moves them all alike. Still frames are measured too and stand for level
// 0, so the first frame of a drag already knows whether the full picture
// fits.
//
// To come back to a finer level a frame's guess must fit with room to spare
// (kRefineMargin of the budget), so a cost near the budget does not make
// consecutive frames flicker between two levels. A finer level's cost may be
// stale (measured in another view, or in a frame that compiled lists): after
// kProbeFrames frames at one level with that room to spare, one frame tries
// the next finer level, and its measured cost decides from then on. Each
// level is tried so at most once a motion, and only when the try is itself
// expected to fit the budget: its cost is predicted from the current level's
// by the ratio between the two levels learnt from consecutive frames drawn
// at them (kLevelRatio until one has been seen). A late frame spent on a try
// is what a person sees as a stutter, so a finer level is not tried on hope.
//
// The clock is injected (milliseconds, monotonic): the renderer times its
// frames with it and tests drive it by hand.
#pragma once

#include <array>
#include <functional>
#include <utility>

#include "render/InteractionDetail.h"

class CInteractionController {
 public:
  using Clock = std::function<double()>;
  static constexpr double kDefaultBudgetMs = 100.0;
  static constexpr double kLevelRatio = 0.55;
  static constexpr double kRefineMargin = 0.75;
  static constexpr int kProbeFrames = 8;

  // The steady clock, in milliseconds.
  static double SteadyMilliseconds();

  explicit CInteractionController(Clock clock = SteadyMilliseconds);

  // A host measuring in its own time (a benchmark on a shared machine reads
  // processor time).
  void SetClock(Clock clock) { m_clock = std::move(clock); }

  // The time one frame drawn during motion may take (milliseconds, > 0;
  // other values are ignored).
  void SetBudget(double milliseconds);
  double GetBudget() const { return m_budget; }

  // Motion starts (nothing when it is already under way) and stops; the
  // frame after End is the still picture.
  void Begin();
  void End();
  bool Active() const { return m_active; }
  // Counts the motions begun: what a caller remembers across the frames of
  // one motion (the zoom target of a wheel burst) is stale once it differs.
  unsigned Motion() const { return m_motion; }

  // The thresholds the next frame draws with: `still` when no motion is in
  // progress, else those of the level chosen for it.
  CDetailThresholds FrameDetail(const CDetailThresholds& still) const;
  // The level the next frame draws at (0 when still).
  int Level() const { return m_active ? m_level : 0; }

  // Around each frame: the time between the two is its cost at Level().
  void FrameStarted();
  void FrameFinished();

  // What a frame at the level is expected to take; negative while nothing
  // has been measured.
  double Expected(int level) const;
  // What a try of the next finer level than `level` is expected to take,
  // from the cost measured at `level`; negative while that is unknown.
  double ExpectedFiner(int level) const;

 private:
  void Choose();
  void Learn(int level, double cost);

  Clock m_clock;
  double m_budget = kDefaultBudgetMs;
  bool m_active = false;
  int m_level = 0;
  int m_framesAtLevel = 0;
  unsigned m_motion = 0;
  // The level and cost of the frame before, within this motion (-1: none).
  int m_lastLevel = -1;
  double m_lastCost = 0.0;
  // cost(level) / cost(level - 1), learnt from consecutive frames.
  std::array<double, kInteractionLevels> m_ratio;
  std::array<bool, kInteractionLevels> m_tried{};  // probed in this motion
  double m_started = -1.0;
  // Measured cost per level, negative where none is known.
  std::array<double, kInteractionLevels> m_cost;
};
