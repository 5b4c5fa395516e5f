// One pipeline of a file: its components in file order and its routes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "kelto/data/Records.h"

namespace kelto::data {

class Component;
class File;

// One step of a route: the component, the point where the route enters it and
// the point where it leaves (indices in File::AllPoints(), kNoIndex at the
// route's ends).
struct RouteEntry {
  Component* component = nullptr;
  std::int32_t entryPoint = kNoIndex;
  std::int32_t exitPoint = kNoIndex;
};
using Route = std::vector<RouteEntry>;

class Pipeline {
 public:
  Pipeline();
  ~Pipeline();
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  File& OwnerFile() const { return *file_; }
  std::uint32_t Index() const { return index_; }
  std::string_view Id() const;
  std::string_view Description() const;
  std::span<Component* const> Components() const;
  std::span<const Attribute> Attributes() const;
  std::optional<std::string_view> AttributeValue(std::string_view name) const;

  // Ordered chains of this pipeline's components along their connections,
  // computed on first use and kept until the file is reloaded. Every component
  // appears in exactly one route (see docs/piping-format.md for the rules).
  const std::vector<Route>& Routes() const;

 private:
  friend class Loader;
  friend class File;

  File* file_ = nullptr;
  std::uint32_t index_ = 0;
  StringId id_ = 0;
  StringId description_ = 0;
  std::uint32_t firstComponent_ = 0;
  std::uint32_t componentCount_ = 0;
  std::uint32_t firstAttribute_ = 0;
  std::uint16_t attributeCount_ = 0;
  mutable std::unique_ptr<std::vector<Route>> routes_;
};

// The route rules, applied to one pipeline (Routes.cpp).
std::vector<Route> ComputeRoutes(const Pipeline& pipeline);

}  // namespace kelto::data
