// One piping component: its definition, named points, legs, attributes and the
// components it is attached to.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "kelto/data/Records.h"

namespace kelto::data {

class File;
class Pipeline;

class Component {
 public:
  Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Pipeline& OwnerPipeline() const { return *pipeline_; }
  File& OwnerFile() const;
  // Position in File::Components() and in OwnerPipeline().Components().
  std::uint32_t Index() const { return index_; }
  std::uint32_t IndexInPipeline() const { return indexInPipeline_; }

  std::string_view Id() const;
  std::string_view TypeName() const;
  std::string_view GroupName() const;
  std::string_view SymbolKey() const;
  std::string_view ShapeCode() const;
  std::int32_t ItemCode() const { return itemCode_; }

  std::span<const Point> Points() const;
  std::span<const Leg> Legs() const;
  std::span<const Attribute> Attributes() const;

  // Lookups by exact, case-sensitive name; null when the component lacks it.
  const Point* FindPoint(std::string_view name) const;
  const Attribute* FindAttribute(std::string_view name) const;
  std::optional<std::string_view> AttributeValue(std::string_view name) const;

  // The components a support stands on, in file order.
  std::size_t AttachmentCount() const { return attachmentCount_; }
  Component& Attachment(std::size_t i) const;

 private:
  friend class Loader;
  friend class File;

  Pipeline* pipeline_ = nullptr;
  std::uint32_t index_ = 0;
  std::uint32_t indexInPipeline_ = 0;
  StringId id_ = 0;
  StringId type_ = 0;
  StringId group_ = 0;
  StringId symbolKey_ = 0;
  StringId shapeCode_ = 0;
  std::int32_t itemCode_ = 0;
  std::uint32_t firstPoint_ = 0;
  std::uint32_t firstLeg_ = 0;
  std::uint32_t firstAttribute_ = 0;
  std::uint32_t firstAttachment_ = 0;
  std::uint16_t pointCount_ = 0;
  std::uint16_t legCount_ = 0;
  std::uint16_t attributeCount_ = 0;
  std::uint16_t attachmentCount_ = 0;
};

}  // namespace kelto::data
