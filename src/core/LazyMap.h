// LazyMap<Map>: a map that takes the room of one pointer until it first
// holds something. Most model nodes are leaves without attached data, and a
// plant has a hundred thousand of them.
//
// Once made, the map stays until its owner goes, so references and
// iterators into it stay valid while hooks edit it.
#pragma once

#include <memory>

template <class Map>
class LazyMap {
 public:
  // The map, or an empty one shared by every LazyMap that has none yet.
  const Map& get() const { return m_map ? *m_map : Empty(); }
  // The map to edit, made on first use. Throws std::bad_alloc.
  Map& edit() {
    if (!m_map) m_map = std::make_unique<Map>();
    return *m_map;
  }
  // The map to edit when there is one; null when it was never made.
  Map* existing() { return m_map.get(); }

 private:
  static const Map& Empty() {
    static const Map empty;
    return empty;
  }

  std::unique_ptr<Map> m_map;
};
