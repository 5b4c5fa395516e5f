// Shared pieces of the options tests: the registry of a real renderer (its
// fourteen drawing options, with the renderer's own names, types and
// defaults; the renderer has no surface and draws nothing) read and written
// through the registry, and a receiver that records every change notice.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "options/Options.h"
#include "render/GLRenderer.h"

namespace kelto::test {

struct RendererOptions {
  long Long(const std::string& name) const { return options.Get(name).lVal; }
  bool Bool(const std::string& name) const { return options.Get(name).boolVal != VARIANT_FALSE; }
  float Float(const std::string& name) const { return options.Get(name).fltVal; }

  CGLRenderer renderer;
  COptions& options = renderer.GetOptions();
};

// The renderer's option names in byte-wise order, as every contents array
// lists them.
inline const std::vector<std::string> kRendererNamesSorted = {
    "AxesRight",         "AxesSize",      "AxesTop",      "BackgroundColour", "BendSteps",
    "CylStacks",         "Edges",         "KeyPrecision", "NormalLineWidth",  "NormalizeScale",
    "SelectedLineWidth", "ShowDebugInfo", "SnoutSteps",   "ViewLimits"};

class NoticeRecorder : public sigslot::has_slots<> {
 public:
  explicit NoticeRecorder(COptions& options) {
    options.changedSignal.connect(this, &NoticeRecorder::OnChanged);
  }
  void OnChanged(std::set<std::string> names) { notices.push_back(std::move(names)); }
  std::vector<std::set<std::string>> notices;
};

}  // namespace kelto::test
