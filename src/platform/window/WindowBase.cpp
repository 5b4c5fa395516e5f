#include "platform/window/WindowBase.h"

#include <algorithm>

namespace kelto::window {

void CWindowBase::Subclass(CMessageMap& map) { subclasses_.push_back(&map); }

void CWindowBase::Unsubclass(CMessageMap& map) {
  auto it = std::find(subclasses_.begin(), subclasses_.end(), &map);
  if (it == subclasses_.end()) return;
  if (dispatching_ > 0)
    *it = nullptr;
  else
    subclasses_.erase(it);
}

bool CWindowBase::Dispatch(const CWindowMessage& message) {
  // Counts nested dispatches (a handler may paint at once, which dispatches
  // again); the outermost one compacts the removed entries.
  struct Depth {
    CWindowBase& w;
    explicit Depth(CWindowBase& window) : w(window) { ++w.dispatching_; }
    ~Depth() {
      if (--w.dispatching_ == 0) std::erase(w.subclasses_, nullptr);
    }
  } depth(*this);
  bool handled = false;
  // Indices, not iterators: a handler may subclass another map meanwhile.
  for (std::size_t i = subclasses_.size(); i-- > 0 && !handled;) {
    if (CMessageMap* map = subclasses_[i]) handled = map->ProcessWindowMessage(message);
  }
  if (!handled && procedure_) handled = procedure_->ProcessWindowMessage(message);
  return handled;
}

}  // namespace kelto::window
