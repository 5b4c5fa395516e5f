#include "render/InteractionController.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

double CInteractionController::SteadyMilliseconds() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

CInteractionController::CInteractionController(Clock clock) : m_clock(std::move(clock)) {
  m_cost.fill(-1.0);
  m_ratio.fill(kLevelRatio);
}

void CInteractionController::SetBudget(double milliseconds) {
  if (milliseconds > 0.0 && std::isfinite(milliseconds)) m_budget = milliseconds;
}

void CInteractionController::Begin() {
  if (m_active) return;
  m_active = true;
  ++m_motion;
  m_lastLevel = -1;
  m_framesAtLevel = 0;
  m_tried.fill(false);
  Choose();
}

void CInteractionController::End() {
  m_active = false;
  m_started = -1.0;
}

CDetailThresholds CInteractionController::FrameDetail(const CDetailThresholds& still) const {
  return InteractionDetail(Level(), still);
}

double CInteractionController::Expected(int level) const {
  if (level < 0 || level >= kInteractionLevels) return -1.0;
  if (m_cost[level] >= 0.0) return m_cost[level];
  // The nearest level measured, finer ones first (they are what a drag
  // usually starts from).
  for (int distance = 1; distance < kInteractionLevels; ++distance) {
    for (const int known : {level - distance, level + distance}) {
      if (known < 0 || known >= kInteractionLevels || m_cost[known] < 0.0) continue;
      return m_cost[known] * std::pow(kLevelRatio, level - known);
    }
  }
  return -1.0;
}

double CInteractionController::ExpectedFiner(int level) const {
  if (level <= 0 || level >= kInteractionLevels || m_cost[level] < 0.0) return -1.0;
  return m_cost[level] / m_ratio[level];
}

void CInteractionController::Choose() {
  int chosen = kInteractionLevels - 1;
  for (int level = 0; level < kInteractionLevels; ++level) {
    const double expected = Expected(level);
    if (expected < 0.0) return;  // nothing measured yet: stay where we are
    const double limit = level < m_level ? m_budget * kRefineMargin : m_budget;
    if (expected <= limit) {
      chosen = level;
      break;
    }
  }
  if (chosen == m_level && m_level > 0 && !m_tried[m_level - 1] &&
      m_framesAtLevel >= kProbeFrames && m_cost[m_level] >= 0.0 &&
      m_cost[m_level] <= m_budget * kRefineMargin && ExpectedFiner(m_level) <= m_budget) {
    chosen = m_level - 1;  // try the finer level once
    m_tried[chosen] = true;
  }
  if (chosen != m_level) m_framesAtLevel = 0;
  m_level = chosen;
}

void CInteractionController::FrameStarted() { m_started = m_clock(); }

void CInteractionController::FrameFinished() {
  if (m_started < 0.0) return;
  const double cost = std::max(0.0, m_clock() - m_started);
  m_started = -1.0;
  const int level = Level();
  const double before = m_cost[level];
  // Whatever moved this level's cost moves the others alike.
  if (before > 0.0) {
    const double factor = cost / before;
    for (int other = 0; other < kInteractionLevels; ++other)
      if (other != level && m_cost[other] >= 0.0) m_cost[other] *= factor;
  }
  m_cost[level] = cost;
  if (!m_active) return;
  Learn(level, cost);
  ++m_framesAtLevel;
  Choose();
}

void CInteractionController::Learn(int level, double cost) {
  // Two frames in a row at neighbouring levels saw nearly the same view: the
  // ratio of their costs is what one level saves there. A frame that also
  // compiled lists can make it look like nothing is saved; the ratio is kept
  // within what the ladder can mean.
  if (m_lastLevel >= 0 && std::abs(level - m_lastLevel) == 1 && cost > 0.0 && m_lastCost > 0.0) {
    const int coarser = std::max(level, m_lastLevel);
    const double ratio = level == coarser ? cost / m_lastCost : m_lastCost / cost;
    m_ratio[coarser] = std::clamp(ratio, 0.05, 1.0);
  }
  m_lastLevel = level;
  m_lastCost = cost;
}
