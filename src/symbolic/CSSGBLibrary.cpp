#include "symbolic/CSSGBLibrary.h"

#include <algorithm>

#include "platform/com/Strings.h"
#include "solid/ComponentInfo.h"
#include "solid/PipingAccess.h"

using kelto::com::ComPtr;

CComponentSSGBuilder::Ptr CCSSGBLibrary::SimpleFilter::GetBuilder(IKeltoComponent* component) {
  const auto found = m_builders.find(GetKey(component));
  return found == m_builders.end() ? CComponentSSGBuilder::Ptr() : found->second;
}

void CCSSGBLibrary::SimpleFilter::AddBuilder(const std::string& key,
                                             CComponentSSGBuilder::Ptr builder) {
  m_builders[key] = std::move(builder);
}

std::string CCSSGBLibrary::ComponentTypeFilter::GetKey(IKeltoComponent* component) {
  using namespace kelto::solid;
  const ComPtr<IKeltoItem> details = DetailsOf(Require(component));
  return kelto::com::BstrToUtf8(TypeNameOf(Require(details)).GetBSTR());
}

std::string CCSSGBLibrary::GroupFilter::GetKey(IKeltoComponent* component) {
  using namespace kelto::solid;
  const ComPtr<IKeltoItem> details = DetailsOf(Require(component));
  return kelto::com::BstrToUtf8(GroupNameOf(Require(details)).GetBSTR());
}

CComponentSSGBuilder::Ptr CCSSGBLibrary::DefaultFilter::GetBuilder(IKeltoComponent*) {
  return m_builder;
}

void CCSSGBLibrary::AddFilter(std::string name, IFFilter::Ptr filter) {
  if (m_byName.count(name)) throw BadKey();
  // The map entry first: if the list append fails the map is rolled back, so
  // the two containers always hold the same filters.
  const auto inserted = m_byName.emplace(name, filter).first;
  try {
    m_filters.push_back(Entry{std::move(name), std::move(filter)});
  } catch (...) {
    m_byName.erase(inserted);
    throw;
  }
}

void CCSSGBLibrary::RemoveFilter(const std::string& name) {
  const auto found = m_byName.find(name);
  if (found == m_byName.end()) throw BadKey();
  m_filters.remove_if([&](const Entry& e) { return e.name == name; });
  m_byName.erase(found);
}

CCSSGBLibrary::IFFilter::Ptr CCSSGBLibrary::Filter(const std::string& name) const {
  const auto found = m_byName.find(name);
  return found == m_byName.end() ? IFFilter::Ptr() : found->second;
}

std::vector<std::string> CCSSGBLibrary::FilterNames() const {
  std::vector<std::string> names;
  names.reserve(m_filters.size());
  for (const Entry& e : m_filters) names.push_back(e.name);
  return names;
}

CCSSGBLibrary::BuilderList CCSSGBLibrary::FindBuilders(IKeltoComponent* component) const {
  BuilderList builders;
  // The most recently added filter is the most specific one: ask it first.
  for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
    if (CComponentSSGBuilder::Ptr builder = it->filter->GetBuilder(component))
      builders.push_back(std::move(builder));
  }
  return builders;
}

bool CCSSGBLibrary::Build(const CComponentInfo& info,
                          CComponentSSGBuilder::IFGraphicsBuilder& gb) const {
  for (const CComponentSSGBuilder::Ptr& builder : FindBuilders(info.Component()))
    if (builder->Build(info, gb)) return true;
  return false;
}
