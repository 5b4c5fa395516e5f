// CExternalDimensionInfo: pipe and flange dimensions of piping points, from
// an external dimension configuration with the built-in tables behind it.
//
// The configuration is a tag-engine rule set (docs/tag-engine.md) evaluated
// on the IKeltoPoint: the tags "PipeOD", "FlangeOD" and "FlangeThickness",
// read as numbers with atof (so text that is not a number reads 0), override
// the defaults of DimensionTables.h for the points they are computed for.
//
//   CExternalDimensionInfo dims;
//   std::string errors;
//   dims.SetConfig(xml, errors);   // each message followed by "\n"
//   double od = dims.PipeOD(point);
//
// Cache: the tags of the last point asked about are kept until another point
// is asked about, so the three lookups of one point evaluate the rules once.
// The cache holds a reference to that point (a raw address could be reused
// by a different point after the first is freed, which would hand out the
// wrong tags), and is emptied by SetConfig and ClearCache, so new rules or
// reloaded piping data are never answered from old tags.
//
// Evaluation never throws for a rule: the tag engine turns a member it cannot
// call into a failed condition. A failing call on the point itself (Bore,
// BoreUnits, EndType, IsInternalPoint) raises _com_error; a null point
// raises _com_error(E_POINTER).
#pragma once

#include <string>
#include <string_view>

#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "tags/TagEngine.h"

class CExternalDimensionInfo {
 public:
  CExternalDimensionInfo() = default;
  CExternalDimensionInfo(const CExternalDimensionInfo&) = delete;
  CExternalDimensionInfo& operator=(const CExternalDimensionInfo&) = delete;
  virtual ~CExternalDimensionInfo() = default;

  // Adds the rules of configXml (UTF-8) to those loaded before, as the tag
  // engine's SetSpec does; errors receives every message, each followed by
  // "\n" (empty when there were none).
  void SetConfig(std::string_view configXml, std::string& errors);

  double PipeOD(IKeltoPoint* point);
  double FlangeOD(IKeltoPoint* point);
  double FlangeThickness(IKeltoPoint* point);
  // False for an internal point; else whether its EndType begins with "FL".
  bool IsFlanged(IKeltoPoint* point);

  // Forgets the cached tags.
  void ClearCache();

  // The rules' engine: its work bound and the errors of its last evaluation.
  CTagEngine& Engine() { return m_engine; }
  const CTagEngine& Engine() const { return m_engine; }

  // How many times rules were evaluated (for tests of the cache).
  unsigned long Evaluations() const { return m_evaluations; }

 private:
  // The tag's value as a number, or false when the point has no such tag.
  bool LookupTag(IKeltoPoint* point, const char* name, double& value);

  CTagEngine m_engine;
  bool m_hasRules = false;
  kelto::com::ComPtr<IKeltoPoint> m_cachedPoint;
  CTagEngine::TagMap m_cachedTags;
  unsigned long m_evaluations = 0;
};
