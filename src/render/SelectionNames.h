// CSelectionNames: the renderer's selection names and the nodes they stand
// for. A selection name is 32 bits while a node's address is 64, so each
// node drawn gets a small number of its own; a hit names a number, and the
// table gives the node back (or nothing, for a number freed since).
//
// Numbers count upwards and skip 0 and numbers in use, so a stale hit never
// names a newer node until the counter has gone all the way round. The table
// is one array probed linearly (at most four fifths full), 16 bytes a slot:
// a plant of a hundred thousand components holds a name for each, and a
// node-based hash map took some 40 bytes and an allocation per name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CModelNode;

class CSelectionNames {
 public:
  // A new number for the node. Throws std::bad_alloc.
  std::uint32_t Allocate(CModelNode* node);
  // The number is free again (0 and numbers not in use are ignored).
  void Free(std::uint32_t name);
  // The node of a number in use, or null.
  CModelNode* Resolve(std::uint32_t name) const;
  std::size_t Size() const { return m_used; }

 private:
  struct Slot {
    std::uint32_t Name = 0;  // 0: empty
    CModelNode* Node = nullptr;
  };
  std::size_t Home(std::uint32_t name) const;
  void Insert(std::uint32_t name, CModelNode* node);
  void Grow();

  std::vector<Slot> m_slots;  // a power of two in size, or empty
  std::size_t m_used = 0;
  std::uint32_t m_next = 1;
};
