#include "kelto/data/Component.h"

#include "kelto/data/File.h"
#include "kelto/data/FileContents.h"

namespace kelto::data {

File& Component::OwnerFile() const { return pipeline_->OwnerFile(); }

std::string_view Component::Id() const { return OwnerFile().Text(id_); }
std::string_view Component::TypeName() const { return OwnerFile().Text(type_); }
std::string_view Component::GroupName() const { return OwnerFile().Text(group_); }
std::string_view Component::SymbolKey() const { return OwnerFile().Text(symbolKey_); }
std::string_view Component::ShapeCode() const { return OwnerFile().Text(shapeCode_); }

std::span<const Point> Component::Points() const {
  return {OwnerFile().contents_->points.data() + firstPoint_, pointCount_};
}

std::span<const Leg> Component::Legs() const {
  return {OwnerFile().contents_->legs.data() + firstLeg_, legCount_};
}

std::span<const Attribute> Component::Attributes() const {
  return {OwnerFile().contents_->attributes.data() + firstAttribute_, attributeCount_};
}

const Point* Component::FindPoint(std::string_view name) const {
  // Names are interned, so a name the file never mentions cannot match and the
  // comparison below is between ids.
  const auto id = OwnerFile().FindText(name);
  if (!id) return nullptr;
  for (const Point& p : Points())
    if (p.name == *id) return &p;
  return nullptr;
}

const Attribute* Component::FindAttribute(std::string_view name) const {
  const auto id = OwnerFile().FindText(name);
  if (!id) return nullptr;
  for (const Attribute& a : Attributes())
    if (a.name == *id) return &a;
  return nullptr;
}

std::optional<std::string_view> Component::AttributeValue(std::string_view name) const {
  const Attribute* a = FindAttribute(name);
  if (!a) return std::nullopt;
  return OwnerFile().Text(a->value);
}

Component& Component::Attachment(std::size_t i) const {
  const FileContents& c = *OwnerFile().contents_;
  return *c.components.at(c.attachments.at(firstAttachment_ + i));
}

}  // namespace kelto::data
