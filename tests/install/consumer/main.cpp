// Opens the installed component module, creates a ModelNode, gives it a
// line and prints its dump.
#include <dlfcn.h>

#include <cstdio>

#include "kelto3d/ModelTree.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"

int main() {
  if (!dlopen(KELTO3D_MODULE, RTLD_NOW)) {
    std::fprintf(stderr, "cannot open %s: %s\n", KELTO3D_MODULE, dlerror());
    return 1;
  }
  kelto::com::ComPtr<kelto3d::IModelNode> node;
  if (CoCreateInstance(kelto3d::kClsidModelNode, nullptr, CLSCTX_INPROC_SERVER,
                       kelto::com::IidOf<kelto3d::IModelNode>(), node.PutVoid()) != S_OK) {
    std::fprintf(stderr, "cannot create a ModelNode\n");
    return 1;
  }
  kelto::com::ComPtr<kelto3d::IPrimitives> geometry;
  BSTR dump = nullptr;
  if (node->get_Geometry(geometry.Put()) != S_OK || geometry->Add3DLine(0, 0, 0, 1, 2, 3, 0) != S_OK ||
      node->Dump(&dump) != S_OK) {
    std::fprintf(stderr, "the ModelNode failed\n");
    return 1;
  }
  std::printf("%s\n", kelto::com::BstrToUtf8(dump).c_str());
  SysFreeString(dump);
  return 0;
}
