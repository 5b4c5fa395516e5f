// CTagSet: the tags computed for one object (tag name → value, ordered by
// name), as the internal object behind a scripting TagSet. It is a plain value
// once computed: nothing links it back to the engine or the object.
#pragma once

#include <utility>

#include "core/WrappedClass.h"
#include "tags/TagEngine.h"

class CTagSet : public CWrappedClass {
 public:
  CTagSet() = default;
  explicit CTagSet(CTagEngine::TagMap tags) : m_tags(std::move(tags)) {}

  const CTagEngine::TagMap& Tags() const { return m_tags; }
  void SetTags(CTagEngine::TagMap tags) { m_tags = std::move(tags); }

 private:
  CTagEngine::TagMap m_tags;
};
