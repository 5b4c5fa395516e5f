#include "render/SelectionNames.h"

std::size_t CSelectionNames::Home(std::uint32_t name) const {
  // Fibonacci hashing: consecutive numbers spread over the whole table.
  const std::uint64_t h = std::uint64_t(name) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(h >> 32) & (m_slots.size() - 1);
}

std::uint32_t CSelectionNames::Allocate(CModelNode* node) {
  // At most four fifths full: probes stay short, and a hundred thousand
  // names fit in 2 MB.
  if ((m_used + 1) * 5 > m_slots.size() * 4) Grow();
  while (m_next == 0 || Resolve(m_next)) ++m_next;
  const std::uint32_t name = m_next++;
  Insert(name, node);
  return name;
}

void CSelectionNames::Insert(std::uint32_t name, CModelNode* node) {
  std::size_t i = Home(name);
  while (m_slots[i].Name != 0) i = (i + 1) & (m_slots.size() - 1);
  m_slots[i] = {name, node};
  ++m_used;
}

CModelNode* CSelectionNames::Resolve(std::uint32_t name) const {
  if (name == 0 || m_slots.empty()) return nullptr;
  for (std::size_t i = Home(name);; i = (i + 1) & (m_slots.size() - 1)) {
    if (m_slots[i].Name == name) return m_slots[i].Node;
    if (m_slots[i].Name == 0) return nullptr;
  }
}

void CSelectionNames::Free(std::uint32_t name) {
  if (name == 0 || m_slots.empty()) return;
  const std::size_t mask = m_slots.size() - 1;
  std::size_t hole = Home(name);
  while (m_slots[hole].Name != name) {
    if (m_slots[hole].Name == 0) return;
    hole = (hole + 1) & mask;
  }
  // Backward shift: every later slot of the run that may sit in the hole
  // moves up, so a lookup never stops at a gap before its number.
  for (std::size_t i = (hole + 1) & mask; m_slots[i].Name != 0; i = (i + 1) & mask) {
    const std::size_t home = Home(m_slots[i].Name);
    // Movable when its home does not lie cyclically in (hole, i].
    const bool between = hole < i ? (home > hole && home <= i) : (home > hole || home <= i);
    if (!between) {
      m_slots[hole] = m_slots[i];
      hole = i;
    }
  }
  m_slots[hole] = {};
  --m_used;
}

void CSelectionNames::Grow() {
  std::vector<Slot> old(m_slots.empty() ? 0 : m_slots.size() * 2);
  old.swap(m_slots);
  if (m_slots.empty()) m_slots.resize(64);
  m_used = 0;
  for (const Slot& slot : old)
    if (slot.Name != 0) Insert(slot.Name, slot.Node);
}
