// How coarse a frame may draw, and the ladder of coarser pictures a frame
// drawn during motion (a drag, a burst of wheel steps) chooses from.
//
// A frame judges each node list by sizes on screen: the list's largest bend
// or cone diameter chooses full, reduced or centre-line drawing, and the
// span of its bound box may leave it out altogether. The still picture uses
// the thresholds the renderer is set to; level 1 and up double them level by
// level and start leaving out lists whose whole box is a few pixels across,
// so every level draws less than the one before it, and the last draws
// nothing but centre lines of the larger pipelines.
#pragma once

struct CDetailThresholds {
  // Lists whose largest bend or cone is narrower than this on screen draw
  // centre lines only.
  double CentreLinePixels = 1.0;
  // Lists whose largest bend or cone is narrower than this draw the reduced
  // shapes. 0 or less: every list at full detail, no centre lines.
  double ReducedPixels = 6.0;
  // Lists (with everything below them) whose bound box spans fewer pixels
  // than this are left out. 0: none.
  double OmitPixels = 0.0;

  bool operator==(const CDetailThresholds&) const = default;
};

// Levels 0 (the still picture) to kInteractionLevels − 1.
inline constexpr int kInteractionLevels = 8;

// The thresholds of a level; level 0 (and anything below) is `still`
// itself, a level beyond the last is the last.
CDetailThresholds InteractionDetail(int level, const CDetailThresholds& still);
