// The options page of the 3D view: the class a property sheet creates to show
// the view's graphics options ("3D &Rendering"). It has no ProgID.
//
//   RendererPropPg  CLSID 3BD88B05-A71A-410B-BB3C-6882EAD3204E
//
// It implements IPropertyPage (platform/com/PropertyPage.h). Its object is an
// Options object, or any object with a GraphicsOptions property that gives
// one (the view control).
#pragma once

#include "platform/com/Guid.h"

namespace kelto3d {

inline constexpr CLSID kClsidRendererPropPg =
    kelto::com::MakeGuid("3BD88B05-A71A-410B-BB3C-6882EAD3204E");

}  // namespace kelto3d
