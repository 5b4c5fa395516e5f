#include "kelto/data/Pipeline.h"

#include "kelto/data/File.h"
#include "kelto/data/FileContents.h"

namespace kelto::data {

Pipeline::Pipeline() = default;
Pipeline::~Pipeline() = default;

std::string_view Pipeline::Id() const { return file_->Text(id_); }
std::string_view Pipeline::Description() const { return file_->Text(description_); }

std::span<Component* const> Pipeline::Components() const {
  return {file_->contents_->components.data() + firstComponent_, componentCount_};
}

std::span<const Attribute> Pipeline::Attributes() const {
  return {file_->contents_->attributes.data() + firstAttribute_, attributeCount_};
}

std::optional<std::string_view> Pipeline::AttributeValue(std::string_view name) const {
  const auto id = file_->FindText(name);
  if (!id) return std::nullopt;
  for (const Attribute& a : Attributes())
    if (a.name == *id) return file_->Text(a.value);
  return std::nullopt;
}

const std::vector<Route>& Pipeline::Routes() const {
  if (!routes_) routes_ = std::make_unique<std::vector<Route>>(ComputeRoutes(*this));
  return *routes_;
}

}  // namespace kelto::data
