#include "render/CentreLineRuns.h"

#include <GL/gl.h>

#include <algorithm>

void CLineVertices::Add(const CPoint3& a, const CPoint3& b, std::int32_t colour) {
  Positions.insert(Positions.end(), {float(a.x), float(a.y), float(a.z), float(b.x), float(b.y),
                                     float(b.z)});
  // Colours are 0x00BBGGRR: the bytes in memory order are red, green, blue.
  const auto c = static_cast<std::uint32_t>(colour);
  const std::uint8_t rgba[4] = {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 255};
  Rgba.insert(Rgba.end(), rgba, rgba + 4);
  Rgba.insert(Rgba.end(), rgba, rgba + 4);
}

void CCentreLineRuns::Store(Slot& slot, const CLineVertices& lines) {
  const auto count = static_cast<std::uint32_t>(lines.Count());
  if (!Holds(slot) || slot.Count != count) {
    Release(slot);
    slot = {static_cast<std::uint32_t>(Size()), count, m_generation};
    m_positions.resize(m_positions.size() + lines.Positions.size());
    m_rgba.resize(m_rgba.size() + lines.Rgba.size());
  }
  std::copy(lines.Positions.begin(), lines.Positions.end(), m_positions.begin() + slot.First * 3);
  std::copy(lines.Rgba.begin(), lines.Rgba.end(), m_rgba.begin() + slot.First * 4);
}

void CCentreLineRuns::Release(Slot& slot) {
  if (!Holds(slot)) return;
  m_unused += slot.Count;
  slot = {};
  if (m_unused == Size()) Drop();
}

void CCentreLineRuns::BeginFrame() {
  m_frame.clear();
  // Half the array unused: this frame and the next fill it again from
  // nothing (not in mid-frame, when slots already added would go stale).
  if (m_unused * 2 > Size()) Drop();
}

void CCentreLineRuns::Drop() {
  std::vector<float>().swap(m_positions);
  std::vector<std::uint8_t>().swap(m_rgba);
  m_unused = 0;
  m_frame.clear();
  // Generation 0 is a slot that never held anything.
  if (++m_generation == 0) m_generation = 1;
}

void CCentreLineRuns::Add(const Slot& slot) {
  if (Holds(slot) && slot.Count != 0) m_frame.emplace_back(slot.First, slot.Count);
}

int CCentreLineRuns::Draw(float lineWidth) {
  if (m_frame.empty()) return 0;
  std::sort(m_frame.begin(), m_frame.end());
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glDisable(GL_LIGHTING);
  glLineWidth(lineWidth);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_INDEX_ARRAY);
  glDisableClientState(GL_EDGE_FLAG_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, m_positions.data());
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_rgba.data());
  int draws = 0;
  std::size_t at = 0;
  while (at < m_frame.size()) {
    const std::uint32_t first = m_frame[at].first;
    std::uint32_t end = first + m_frame[at].second;
    for (++at; at < m_frame.size() && m_frame[at].first == end; ++at) end += m_frame[at].second;
    glDrawArrays(GL_LINES, static_cast<GLint>(first), static_cast<GLsizei>(end - first));
    ++draws;
  }
  glPopClientAttrib();
  glPopAttrib();
  m_frame.clear();
  return draws;
}
