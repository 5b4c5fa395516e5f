#include "solid/ExternalDimensionInfo.h"

#include <cstdlib>
#include <vector>

#include "solid/DimensionTables.h"
#include "solid/PipingAccess.h"

using kelto::solid::BoreOf;
using kelto::solid::BoreUnitsOf;
using kelto::solid::Require;

void CExternalDimensionInfo::SetConfig(std::string_view configXml, std::string& errors) {
  std::vector<std::string> messages;
  m_engine.SetSpec(configXml, messages);
  // The engine keeps whatever part of the text loaded, and a lookup needs no
  // aspect to assign tags, so from now on every point is evaluated.
  m_hasRules = true;
  ClearCache();
  errors.clear();
  for (const std::string& message : messages) {
    errors += message;
    errors += '\n';
  }
}

void CExternalDimensionInfo::ClearCache() {
  m_cachedPoint.Reset();
  m_cachedTags.clear();
}

bool CExternalDimensionInfo::LookupTag(IKeltoPoint* point, const char* name, double& value) {
  Require(point);
  // Without rules every point has no tags: skip the evaluation entirely.
  if (!m_hasRules) return false;
  if (m_cachedPoint.Get() != point) {
    m_cachedTags = m_engine.GetTags(point);
    m_cachedPoint = point;
    ++m_evaluations;
  }
  const auto found = m_cachedTags.find(name);
  if (found == m_cachedTags.end()) return false;
  value = std::atof(found->second.c_str());
  return true;
}

double CExternalDimensionInfo::PipeOD(IKeltoPoint* point) {
  double value = 0.0;
  if (LookupTag(point, "PipeOD", value)) return value;
  return kelto::solid::DefaultPipeOD(BoreOf(point), BoreUnitsOf(point));
}

double CExternalDimensionInfo::FlangeOD(IKeltoPoint* point) {
  double value = 0.0;
  if (LookupTag(point, "FlangeOD", value)) return value;
  return kelto::solid::DefaultFlangeOD(BoreOf(point), BoreUnitsOf(point));
}

double CExternalDimensionInfo::FlangeThickness(IKeltoPoint* point) {
  double value = 0.0;
  if (LookupTag(point, "FlangeThickness", value)) return value;
  return kelto::solid::DefaultFlangeThickness(BoreOf(point), BoreUnitsOf(point));
}

bool CExternalDimensionInfo::IsFlanged(IKeltoPoint* point) {
  if (kelto::solid::IsInternal(point)) return false;
  return kelto::solid::HasFlangedEndType(point);
}
