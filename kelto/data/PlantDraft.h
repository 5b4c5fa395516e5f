// A plant as plain values, before it becomes a File: what readers of formats
// other than the library's own JSON produce, and what several files loaded as
// one plant are merged from (private to the library).
//
// Loader::LoadDrafts turns drafts into FileContents with the same rules the
// JSON loader applies (catalogue defaults, leg directions and lengths,
// connections), so a component reads the same whichever file it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelto/data/Records.h"
#include "kelto/data/Vec3.h"

namespace kelto::data {

struct DraftPoint {
  std::string name;
  Vec3 position;
  double bore = 0.0;
  std::uint8_t boreUnits = kBoreMillimetre;
  std::string endType;
  bool internal = false;
};

struct DraftLeg {
  std::uint16_t from = 0;  // indices into the component's points
  std::uint16_t to = 0;
  std::optional<Vec3> direction;  // given by the source; else from the positions
};

using DraftAttributes = std::vector<std::pair<std::string, std::string>>;

struct DraftComponent {
  std::string id;
  std::string type;
  // Left empty, these take the catalogue's value for the type like a JSON
  // file that leaves them out; a type the catalogue lacks must give `group`.
  std::optional<std::string> group;
  std::optional<std::int32_t> itemCode;
  std::optional<std::string> symbolKey;
  std::optional<std::string> shapeCode;
  std::vector<DraftPoint> points;
  std::vector<DraftLeg> legs;
  DraftAttributes attributes;
  std::vector<std::string> attachments;  // ids of components of the same draft
  std::size_t line = 0;                  // where the source describes it, for messages
};

struct DraftPipeline {
  std::string id;
  std::string description;
  DraftAttributes attributes;
  std::vector<DraftComponent> components;
  std::size_t line = 0;
};

struct PlantDraft {
  std::string path;  // names the source in messages
  std::string description;
  std::vector<DraftPipeline> pipelines;
  // Problems the reader worked around (unknown component types, skipped
  // blocks), each naming the file and line.
  std::vector<std::string> warnings;
};

// "file:line" (or just the file when the line is unknown).
inline std::string Where(const std::string& path, std::size_t line) {
  return line ? path + ':' + std::to_string(line) : path;
}

}  // namespace kelto::data
