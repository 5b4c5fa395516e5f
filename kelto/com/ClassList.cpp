#include "kelto/com/ClassList.h"

#include "kelto/com/KeltoFile.h"
#include "kelto/com/KeltoPathWalker.h"
#include "kelto/com/KeltoSymbolCatalogue.h"
#include "platform/com/ClassFactory.h"

namespace kelto::faces {

namespace {

// The module has no type library: scripts bind by name through IDispatch.
constexpr kelto::com::ClassEntry kClasses[] = {
    {kelto::clsid::KeltoFile, "Kelto.File.1", "Kelto.File", "Kelto piping file",
     &kelto::com::CreateInstanceOf<CKeltoFile>, "Apartment", false},
    {kelto::clsid::KeltoPathWalker, "Kelto.PathWalker.1", "Kelto.PathWalker",
     "Kelto piping path walker", &kelto::com::CreateInstanceOf<CKeltoPathWalker>, "Apartment",
     false},
    {kelto::clsid::KeltoSymbolCatalogue, "Kelto.SymbolCatalogue.1", "Kelto.SymbolCatalogue",
     "Kelto symbol catalogue", &kelto::com::CreateInstanceOf<CKeltoSymbolCatalogue>, "Apartment",
     false},
};

}  // namespace

std::span<const kelto::com::ClassEntry> ClassList() { return kClasses; }

}  // namespace kelto::faces
