// Shared pieces of the options tests: a stand-in for the renderer's drawing
// options (the fourteen variables, registered in the renderer's order with
// its defaults) and a receiver that records every change notice.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "options/Options.h"

namespace kelto::test {

struct RendererOptions {
  RendererOptions() {
    normalizeScale = false;
    options.AddOption("NormalizeScale", &normalizeScale);
    edges = 16;
    options.AddOption("Edges", &edges);
    bendSteps = 8;
    options.AddOption("BendSteps", &bendSteps);
    cylStacks = 2;
    options.AddOption("CylStacks", &cylStacks);
    snoutSteps = 1;
    options.AddOption("SnoutSteps", &snoutSteps);
    keyPrecision = 1;
    options.AddOption("KeyPrecision", &keyPrecision);
    axesSize = 50;
    options.AddOption("AxesSize", &axesSize);
    axesTop = true;
    options.AddOption("AxesTop", &axesTop);
    axesRight = false;
    options.AddOption("AxesRight", &axesRight);
    viewLimits = true;
    options.AddOption("ViewLimits", &viewLimits);
    backgroundColour = 0;
    options.AddOption("BackgroundColour", &backgroundColour);
    normalLineWidth = 1.0f;
    options.AddOption("NormalLineWidth", &normalLineWidth);
    selectedLineWidth = 1.0f;
    options.AddOption("SelectedLineWidth", &selectedLineWidth);
    showDebugInfo = false;
    options.AddOption("ShowDebugInfo", &showDebugInfo);
  }

  bool normalizeScale, axesTop, axesRight, viewLimits, showDebugInfo;
  int edges, bendSteps, cylStacks, snoutSteps, keyPrecision, axesSize, backgroundColour;
  float normalLineWidth, selectedLineWidth;
  // Declared last: destroyed first, before the variables it points at.
  COptions options;
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
