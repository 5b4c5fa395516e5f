#include "kelto/com/KeltoPipeline.h"

#include "kelto/com/Collections.h"
#include "kelto/com/KeltoFile.h"

namespace kelto::faces {

kelto::data::Pipeline& CKeltoPipeline::Record() const {
  if (!pipeline_) ThrowGone("pipeline");
  return *pipeline_;
}

HRESULT CKeltoPipeline::get_Name(BSTR* name) {
  return Guarded([&] {
    RequireOut(name);
    *name = NewBstr(Record().Id());
  });
}

HRESULT CKeltoPipeline::get_Components(IKeltoComponents** components) {
  return Guarded([&] {
    RequireOut(components);
    *components = nullptr;
    HandOut(File().ComponentsFace(Record()), components);
  });
}

HRESULT CKeltoPipeline::get_File(IKeltoFile** file) {
  return Guarded([&] {
    RequireOut(file);
    *file = nullptr;
    Record();  // a pipeline a reload dropped has no file any more
    HandOut(kelto::com::ComPtr<CKeltoFile>(&File()), file);
  });
}

// The flags are accepted and ignored: every caller asks for the same routes.
HRESULT CKeltoPipeline::Routes(LONG, LONG, IKeltoRoutes** routes) {
  return Guarded([&] {
    RequireOut(routes);
    *routes = nullptr;
    HandOut(File().RoutesFace(Record()), routes);
  });
}

}  // namespace kelto::faces
