// The storage behind a File (private to the library). A load fills a fresh
// FileContents and the File swaps it in only when everything succeeded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kelto/data/Component.h"
#include "kelto/data/Pipeline.h"
#include "kelto/data/Records.h"
#include "kelto/data/StringPool.h"

namespace kelto::data {

struct FileContents {
  std::string path;
  // Every file of a plant loaded from several (File::LoadPlant); else empty.
  std::vector<std::string> sources;
  // What the load worked around, each naming the file and line.
  std::vector<std::string> warnings;
  StringPool strings;
  StringId description = 0;

  std::vector<std::unique_ptr<Pipeline>> pipelineStore;
  std::vector<Pipeline*> pipelines;
  std::vector<std::unique_ptr<Component>> componentStore;
  std::vector<Component*> components;

  std::vector<Point> points;
  std::vector<Leg> legs;
  std::vector<Attribute> attributes;       // components' and pipelines' slices
  std::vector<std::uint32_t> attachments;  // component indices

  // Index + 1 of the component / pipeline whose id is that string; 0 for none.
  std::vector<std::uint32_t> componentByString;
  std::vector<std::uint32_t> pipelineByString;
};

}  // namespace kelto::data
