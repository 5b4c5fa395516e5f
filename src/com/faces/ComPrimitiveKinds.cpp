#include "com/faces/ComPrimitiveKinds.h"

#include "core/WrapperFace.h"

using kelto::com::ComPtr;
using kelto3d::IPrimitive;

namespace {

template <class TComClass>
ComPtr<IPrimitive> FaceAs(CPrimitive& primitive) {
  return ComPtr<IPrimitive>(WrapperFace<TComClass>(&primitive).Get());
}

}  // namespace

ComPtr<IPrimitive> PrimitiveFace(CPrimitive& primitive) {
  switch (primitive.GetType()) {
    case ptLine:
      return FaceAs<CComLine>(primitive);
    case ptCone:
      return FaceAs<CComCone>(primitive);
    case ptCurvedCone:
      return FaceAs<CComCurvedCone>(primitive);
    case ptSnout:
      return FaceAs<CComSnout>(primitive);
    case ptCircle:
      return FaceAs<CComCircle>(primitive);
    default:
      return nullptr;
  }
}
