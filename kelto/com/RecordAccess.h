// IKeltoRecordAccess: how the module's own objects recognise one another's
// points and legs. The path walker is handed an IKeltoPoint and an IKeltoLeg
// and must reach the records behind them; it asks for this interface, which
// only the module's point and leg faces answer. Its IID is private to this
// build of the module (it is never registered or documented), so a face of a
// different piping library, or of another copy of this one, is refused
// rather than misread.
#pragma once

#include "kelto/data/Records.h"
#include "platform/com/Interfaces.h"

namespace kelto::faces {

class CKeltoFile;

struct IKeltoRecordAccess : IUnknown {
  // The file object the face belongs to (no new reference).
  virtual CKeltoFile* RecordFile() noexcept = 0;
  // The point or leg record shown; null for the other kind and for a face
  // whose record went with a reload.
  virtual const kelto::data::Point* PointRecord() noexcept = 0;
  virtual const kelto::data::Leg* LegRecord() noexcept = 0;
};

}  // namespace kelto::faces

KELTO_INTERFACE_IID(kelto::faces::IKeltoRecordAccess, IUnknown,
                    "E3B1C9A4-5D27-4F0B-8E61-2A9C7D4F1B85");
