#include "kelto/data/PathWalker.h"

#include "kelto/data/File.h"

namespace kelto::data {

bool PathWalker::Start(const Point& point, const Leg& leg) {
  current_ = nullptr;
  via_ = nullptr;
  ended_ = false;
  const std::uint32_t index = file_->IndexOf(point);
  const auto legs = file_->OwnerOf(point).Legs();
  const bool ownLeg = &leg >= legs.data() && &leg < legs.data() + legs.size();
  if (!ownLeg || (leg.from != index && leg.to != index)) return false;
  current_ = &point;
  via_ = &leg;
  return true;
}

void PathWalker::StartAcross(const Point& point) {
  current_ = &point;
  via_ = nullptr;
  ended_ = false;
}

const Point* PathWalker::Step(const Leg* exclude) {
  const std::uint32_t here = file_->IndexOf(*current_);
  for (const Leg& leg : file_->OwnerOf(*current_).Legs()) {
    if (&leg == exclude || (leg.from != here && leg.to != here)) continue;
    via_ = &leg;
    current_ = &file_->AllPoints()[leg.from == here ? leg.to : leg.from];
    return current_;
  }
  return nullptr;
}

const Point* PathWalker::Next() {
  if (!current_ || ended_) return nullptr;
  if (!via_) {
    if (const Point* p = Step(nullptr)) return p;
  } else {
    if (const Point* p = Step(via_)) return p;
    if (const Point* across = file_->ConnectedPoint(*current_)) {
      current_ = across;
      via_ = nullptr;
      return current_;
    }
  }
  ended_ = true;
  return nullptr;
}

}  // namespace kelto::data
