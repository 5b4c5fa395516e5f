#include "com/ClassList.h"

#include "platform/com/ClassFactory.h"
#include "tags/ComTagEngine.h"
#include "tags/ComTagSet.h"

namespace kelto3d {

namespace {

// One line per class, in registration order:
//   {kClsidX, "Kelto3D.X.1", "Kelto3D.X", "X Object", &kelto::com::CreateInstanceOf<CComX>},
// The classes arrive with the subsystems they expose.
// clang-format off
constexpr kelto::com::ClassEntry kClassTable[] = {
    {kClsidTagSet, "Kelto3D.TagSet.1", "Kelto3D.TagSet", "TagSet Object", &kelto::com::CreateInstanceOf<CComTagSet>},
    {kClsidTagEngine, "Kelto3D.TagEngine.1", "Kelto3D.TagEngine", "TagEngine Object", &kelto::com::CreateInstanceOf<CComTagEngine>},
};
// clang-format on
constexpr std::span<const kelto::com::ClassEntry> kClasses{kClassTable};

}  // namespace

std::span<const kelto::com::ClassEntry> ClassList() { return kClasses; }

}  // namespace kelto3d
