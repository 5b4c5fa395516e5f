// CCentreLineRuns: the centre lines of every node a frame draws as lines
// only, kept in one vertex array (positions and colours) for all of them,
// so that a plant seen whole is drawn in a few glDrawArrays calls instead of
// a list call, a lighting toggle and a colour per pipeline.
//
// Each node's lines occupy a slot, a range of the array. Slots are appended
// in the order frames first ask for them, which is the order a frame walks
// the tree; the nodes one frame draws as lines so lie side by side, and
// their ranges merge into long runs (a node drawn otherwise, hidden or out
// of view only breaks a run in two). A node whose lines change is written
// again: in place when its vertex count stays (a selection recolours it),
// else into a new slot at the end. Vertices no slot uses any longer are
// counted, and once they outnumber the ones in use the array is dropped
// whole: every slot becomes stale and the next frames fill the array again,
// in their own order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/Point3.h"

// The lines of one node, each a pair of vertices with a colour.
struct CLineVertices {
  std::vector<float> Positions;     // x, y, z per vertex
  std::vector<std::uint8_t> Rgba;   // per vertex
  void Add(const CPoint3& a, const CPoint3& b, std::int32_t colour);
  std::size_t Count() const { return Positions.size() / 3; }
};

class CCentreLineRuns {
 public:
  struct Slot {
    std::uint32_t First = 0;
    std::uint32_t Count = 0;
    std::uint32_t Generation = 0;  // the array's generation it belongs to
  };

  // Whether the slot holds the node's lines in the current array.
  bool Holds(const Slot& slot) const { return slot.Generation == m_generation; }
  // Writes the lines into the slot (in place, or at the end of the array).
  void Store(Slot& slot, const CLineVertices& lines);
  // The slot's vertices are no longer used.
  void Release(Slot& slot);

  // A frame: BeginFrame, the slots to draw, then the draw of them all, merged into runs
  // (unlit, a vertex colour each, this line width). Returns the draws made.
  void BeginFrame();
  void Add(const Slot& slot);
  int Draw(float lineWidth);

  std::size_t Used() const { return Size() - m_unused; }
  std::size_t Size() const { return m_positions.size() / 3; }

 private:
  void Drop();

  std::vector<float> m_positions;
  std::vector<std::uint8_t> m_rgba;
  std::size_t m_unused = 0;
  std::uint32_t m_generation = 1;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_frame;  // first, count
};
