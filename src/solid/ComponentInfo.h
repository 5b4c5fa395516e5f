// CComponentInfo: one piping component as the construction functions read
// it: the component with its file, pipeline and definition (Details), and the
// external dimension configuration that sizes its pipe ends and flanges.
//
// EndData gives what a function needs about the two ends of a run P → Q:
// whether each end is flanged, its position, its flange face (the inner face
// of the flange, moved from the position towards the other end by the flange
// thickness, but never past the middle of the run when both ends are flanged
// or past the other end when only one is), and its pipe and flange outside
// diameters.
//
// Failure rules: a null component throws std::invalid_argument("Null
// Component"); a failing call on a piping object throws _com_error; a null
// point where one is required throws _com_error(E_POINTER).
#pragma once

#include <string>

#include "core/CountedPtr.h"
#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Variant.h"

class CExternalDimensionInfo;

// The end data of one end of a run.
struct CEndData {
  bool flanged = false;
  CPoint3 position;
  // The flange's inner face; equal to position when not flanged.
  CPoint3 face;
  double flangeOD = 0.0;
  double pipeOD = 0.0;
};

class CComponentInfo {
 public:
  using Ptr = cptr::counted_ptr<CComponentInfo>;

  // Reads the component's Details once, here. dimensions may be null: then
  // every dimension comes from the built-in tables.
  CComponentInfo(IKeltoFile* file, IKeltoPipeline* pipeline, IKeltoComponent* component,
                 CExternalDimensionInfo* dimensions);
  CComponentInfo(const CComponentInfo&) = delete;
  CComponentInfo& operator=(const CComponentInfo&) = delete;
  virtual ~CComponentInfo() = default;

  IKeltoFile* File() const { return m_file.Get(); }
  IKeltoPipeline* Pipeline() const { return m_pipeline.Get(); }
  IKeltoComponent* Component() const { return m_component.Get(); }
  // May be null when the component has no definition.
  IKeltoItem* Details() const { return m_details.Get(); }
  CExternalDimensionInfo* Dimensions() const { return m_dimensions; }

  // The end data of the run p → q: e1 for p, e2 for q.
  void EndData(IKeltoPoint* p, IKeltoPoint* q, CEndData& e1, CEndData& e2) const;

  double PipeOD(IKeltoPoint* point) const;
  double FlangeOD(IKeltoPoint* point) const;
  double FlangeThickness(IKeltoPoint* point) const;
  bool IsFlanged(IKeltoPoint* point) const;

  // Information for Attachment(index) (with this file, pipeline and
  // dimensions); empty when there is no such attachment or asking fails.
  Ptr Attached(long index) const;

  // The Value of the attribute, or VT_EMPTY when the component lacks it.
  _variant_t GetAttribute(const char16_t* name) const;
  // The attribute read through the compass table ("UP", "NORTH"...); the
  // zero vector when it is not text or not a compass name.
  CVector3 GetDirectionAttribute(const char16_t* name) const;

 private:
  kelto::com::ComPtr<IKeltoFile> m_file;
  kelto::com::ComPtr<IKeltoPipeline> m_pipeline;
  kelto::com::ComPtr<IKeltoComponent> m_component;
  kelto::com::ComPtr<IKeltoItem> m_details;
  CExternalDimensionInfo* m_dimensions;
};
