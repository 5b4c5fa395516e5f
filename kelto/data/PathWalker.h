// Walking along the piping point by point.
//
// The walker stands on a point, having arrived there either along a leg of
// the point's component or across a connection from a neighbouring component.
// Next() continues away from where it came from:
//   - arrived along leg L: take the next leg (index order) of the same
//     component that touches the point, other than L, to its other end; with
//     no such leg, cross the point's connection into the neighbour;
//   - arrived across a connection: take the first leg (index order) of the
//     new component that touches the point, to its other end.
// Next() returns null where neither is possible (an open end, or a point with
// no further leg) and then stays at the last point.
//
// Start(point, leg) puts the walker on `point` as if it had come along `leg`,
// so the first Next() moves away from that leg: started on an internal point
// of a chain such as Run_1 - Centre_1 - Centre_2 - Run_2 with the leg
// Centre_1 - Centre_2, it walks out through Centre_1 to Run_1 and then into the
// neighbour beyond.
#pragma once

#include "kelto/data/Records.h"

namespace kelto::data {

class File;

class PathWalker {
 public:
  explicit PathWalker(const File& file) : file_(&file) {}

  // False (and the walker is not positioned) when `leg` does not end at
  // `point` or they belong to different components.
  bool Start(const Point& point, const Leg& leg);
  // Positions the walker on `point` as if it had just crossed into it.
  void StartAcross(const Point& point);

  const Point* Next();
  const Point* Current() const { return current_; }
  // The leg the walker last moved along; null after crossing a connection.
  const Leg* Via() const { return via_; }

 private:
  const Point* Step(const Leg* exclude);

  const File* file_;
  const Point* current_ = nullptr;
  const Leg* via_ = nullptr;
  bool ended_ = false;
};

}  // namespace kelto::data
