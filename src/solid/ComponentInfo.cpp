#include "solid/ComponentInfo.h"

#include <algorithm>
#include <stdexcept>

#include "platform/com/Strings.h"
#include "solid/DimensionTables.h"
#include "solid/ExternalDimensionInfo.h"
#include "solid/PipingAccess.h"

using kelto::com::ComPtr;
using namespace kelto::solid;

CComponentInfo::CComponentInfo(IKeltoFile* file, IKeltoPipeline* pipeline,
                               IKeltoComponent* component, CExternalDimensionInfo* dimensions)
    : m_file(file), m_pipeline(pipeline), m_component(component), m_dimensions(dimensions) {
  if (!component) throw std::invalid_argument("Null Component");
  m_details = DetailsOf(component);
}

double CComponentInfo::PipeOD(IKeltoPoint* point) const {
  if (m_dimensions) return m_dimensions->PipeOD(point);
  return DefaultPipeOD(BoreOf(point), BoreUnitsOf(point));
}

double CComponentInfo::FlangeOD(IKeltoPoint* point) const {
  if (m_dimensions) return m_dimensions->FlangeOD(point);
  return DefaultFlangeOD(BoreOf(point), BoreUnitsOf(point));
}

double CComponentInfo::FlangeThickness(IKeltoPoint* point) const {
  if (m_dimensions) return m_dimensions->FlangeThickness(point);
  return DefaultFlangeThickness(BoreOf(point), BoreUnitsOf(point));
}

bool CComponentInfo::IsFlanged(IKeltoPoint* point) const {
  if (m_dimensions) return m_dimensions->IsFlanged(point);
  return !IsInternal(point) && HasFlangedEndType(point);
}

void CComponentInfo::EndData(IKeltoPoint* p, IKeltoPoint* q, CEndData& e1, CEndData& e2) const {
  Require(p);
  Require(q);
  e1.flanged = IsFlanged(p);
  e1.position = PositionOf(p);
  e1.pipeOD = PipeOD(p);
  e2.flanged = IsFlanged(q);
  e2.position = PositionOf(q);
  e2.pipeOD = PipeOD(q);

  // Two flanges share the run between them, so neither may reach past its
  // middle; a single flange may use the whole run.
  const auto finish = [&](CEndData& end, const CEndData& other, IKeltoPoint* point) {
    if (!end.flanged) {
      end.face = end.position;
      end.flangeOD = end.pipeOD;
      return;
    }
    const CVector3 v = other.position - end.position;
    const double limit = other.flanged ? v.Length() * 0.5 : v.Length();
    const double thickness = std::min(FlangeThickness(point), limit);
    end.face = end.position + thickness * v.Normalised();
    end.flangeOD = FlangeOD(point);
  };
  finish(e1, e2, p);
  finish(e2, e1, q);
}

CComponentInfo::Ptr CComponentInfo::Attached(long index) const {
  ComPtr<IKeltoComponent> attached;
  if (FAILED(m_component->get_Attachment(static_cast<LONG>(index), attached.Put())) || !attached)
    return {};
  return Ptr(new CComponentInfo(m_file.Get(), m_pipeline.Get(), attached.Get(), m_dimensions));
}

_variant_t CComponentInfo::GetAttribute(const char16_t* name) const {
  ComPtr<IKeltoAttributes> attributes;
  kelto::com::ThrowIfFailed(m_component->get_Attributes(attributes.Put()),
                            kelto::com::IidOf<IKeltoComponent>());
  Require(attributes);
  const _variant_t index(name);
  ComPtr<IKeltoAttribute> attribute;
  kelto::com::ThrowIfFailed(attributes->get_Item(index, attribute.Put()),
                            kelto::com::IidOf<IKeltoAttributes>());
  _variant_t value;
  if (!attribute) return value;
  kelto::com::ThrowIfFailed(attribute->get_Value(&value), kelto::com::IidOf<IKeltoAttribute>());
  return value;
}

CVector3 CComponentInfo::GetDirectionAttribute(const char16_t* name) const {
  const _variant_t value = GetAttribute(name);
  if (value.vt != VT_BSTR) return {};
  return CompassDirection(kelto::com::BstrView(value.bstrVal)).value_or(CVector3());
}
