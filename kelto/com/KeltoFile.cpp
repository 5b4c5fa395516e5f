#include "kelto/com/KeltoFile.h"

#include <filesystem>
#include <new>
#include <string>
#include <type_traits>

#include "kelto/com/Collections.h"
#include "kelto/com/KeltoAttribute.h"
#include "kelto/com/KeltoComponent.h"
#include "kelto/com/KeltoItem.h"
#include "kelto/com/KeltoLeg.h"
#include "kelto/com/KeltoPipeline.h"
#include "kelto/com/KeltoPoint.h"
#include "kelto/com/KeltoRouteEntry.h"
#include "kelto/data/LoadError.h"
#include "platform/com/Strings.h"

namespace kelto::faces {

using kelto::com::ComPtr;
using kelto::com::HResultError;

namespace {

// Slots of ObjectFaces.
enum PipelineSlot : std::size_t { kPipelineSlot, kComponentsSlot, kRoutesSlot };
enum ComponentSlot : std::size_t {
  kComponentSlot,
  kItemSlot,
  kPointsSlot,
  kLegsSlot,
  kAttributesSlot
};

template <class F>
HRESULT Guarded(F&& body) noexcept {
  return kelto::com::Guard(kelto::clsid::KeltoFile, kelto::com::IidOf<IKeltoFile>(),
                           std::forward<F>(body));
}

}  // namespace

CKeltoFile::CKeltoFile() : data_(std::make_unique<kelto::data::File>()) {}

// Nobody holds any face now (each held face holds the file), and retired
// faces nobody held were destroyed when they were retired: every face in the
// pool is one the cache keeps. Faces own nothing but their place in the
// module's lock count, so they end with the pool's chunks instead of being
// visited one by one, which for a large plant was most of the cost of
// letting go of it.
CKeltoFile::~CKeltoFile() {
  for (std::size_t n = pool_.Live(); n > 0; --n) ModuleLock::Unlock();
}

HRESULT CKeltoFile::get_Pipelines(IKeltoPipelines** pipelines) {
  return Guarded([&] {
    RequireOut(pipelines);
    *pipelines = nullptr;
    HandOut(PipelinesFace(), pipelines);
  });
}

HRESULT CKeltoFile::Load(BSTR path) {
  return Guarded([&] {
    const std::string name = kelto::com::BstrToUtf8(path);
    if (name.empty()) throw HResultError(E_INVALIDARG, "Load needs the path of a piping file.");
    // The system calls would stop at an embedded null and open another file.
    if (name.find('\0') != std::string::npos)
      throw HResultError(E_INVALIDARG,
                         "The path of a piping file cannot contain a null character.");
    try {
      data_->Load(std::filesystem::path(name));
    } catch (const kelto::data::LoadError& e) {
      // The data layer left the previous contents untouched.
      throw HResultError(E_FAIL, e.what());
    }
    RetireStaleFaces();
  });
}

HRESULT CKeltoFile::get_KeepGoing(VARIANT_BOOL* keepGoing) {
  return Guarded([&] {
    RequireOut(keepGoing);
    *keepGoing = data_->GetLoadOptions().keepGoing ? VARIANT_TRUE : VARIANT_FALSE;
  });
}

HRESULT CKeltoFile::put_KeepGoing(VARIANT_BOOL keepGoing) {
  return Guarded([&] {
    kelto::data::LoadOptions options = data_->GetLoadOptions();
    options.keepGoing = keepGoing != VARIANT_FALSE;
    data_->SetLoadOptions(options);
  });
}

HRESULT CKeltoFile::get_Warnings(BSTR* warnings) {
  return Guarded([&] {
    RequireOut(warnings);
    std::string text;
    for (const std::string& w : data_->Warnings()) text += w + '\n';
    *warnings = NewBstr(text);
  });
}

HRESULT CKeltoFile::get_Path(BSTR* path) {
  return Guarded([&] {
    RequireOut(path);
    *path = NewBstr(data_->Path());
  });
}

std::size_t CKeltoFile::CachedFaces() const {
  std::size_t n = recordFaces_.size() + (pipelinesFace_ ? 1 : 0);
  for (const auto* table : {&pointFaces_, &legFaces_, &attributeFaces_})
    for (const FaceLink* face : *table) n += face ? 1 : 0;
  for (const auto& [key, slots] : objectFaces_)
    for (const FaceLink* face : slots.faces) n += face ? 1 : 0;
  return n;
}

// Faces' constructors do not throw: a face is made whole or its block was
// never taken.
template <class FaceT, class... Source>
FaceT* CKeltoFile::NewFace(Source&... source) {
  static_assert(sizeof(FaceT) <= FacePool::kLargestBlock && alignof(FaceT) <= alignof(void*));
  static_assert(std::is_nothrow_constructible_v<FaceT, CKeltoFile&, Source&...>);
  return new (pool_.Allocate(sizeof(FaceT))) FaceT(*this, source...);
}

template <class FaceT, class Object>
ComPtr<FaceT> CKeltoFile::ObjectFace(Object& object, std::size_t slot) {
  // Most plants' faces are asked for object by object, the whole plant in a
  // row; one table sized for it avoids rehashing all the way up.
  if (objectFaces_.empty())
    objectFaces_.reserve(data_->Pipelines().size() + data_->Components().size());
  ObjectFaces& slots = objectFaces_[&object];
  if (!slots.faces[slot]) {
    slots.seen = data_->Generation();
    slots.faces[slot] = NewFace<FaceT>(object);
  }
  return ComPtr<FaceT>(static_cast<FaceT*>(slots.faces[slot]));
}

template <class FaceT, class Record>
ComPtr<FaceT> CKeltoFile::RecordFace(const Record& record) {
  const auto [it, added] = recordFaces_.try_emplace(&record, nullptr);
  if (added) {
    try {
      it->second = NewFace<FaceT>(record);
    } catch (...) {
      recordFaces_.erase(it);
      throw;
    }
  }
  return ComPtr<FaceT>(static_cast<FaceT*>(it->second));
}

template <class FaceT, class Record>
ComPtr<FaceT> CKeltoFile::TableFace(std::vector<FaceLink*>& table, std::span<const Record> all,
                                    const Record& record) {
  if (table.empty()) table.assign(all.size(), nullptr);
  FaceLink*& slot = table[static_cast<std::size_t>(&record - all.data())];
  if (!slot) slot = NewFace<FaceT>(record);
  return ComPtr<FaceT>(static_cast<FaceT*>(slot));
}

ComPtr<CKeltoPipelines> CKeltoFile::PipelinesFace() {
  if (!pipelinesFace_) pipelinesFace_ = NewFace<CKeltoPipelines>();
  return ComPtr<CKeltoPipelines>(static_cast<CKeltoPipelines*>(pipelinesFace_));
}

ComPtr<CKeltoPipeline> CKeltoFile::PipelineFace(kelto::data::Pipeline& pipeline) {
  return ObjectFace<CKeltoPipeline>(pipeline, kPipelineSlot);
}

ComPtr<CKeltoComponents> CKeltoFile::ComponentsFace(kelto::data::Pipeline& pipeline) {
  return ObjectFace<CKeltoComponents>(pipeline, kComponentsSlot);
}

ComPtr<CKeltoRoutes> CKeltoFile::RoutesFace(kelto::data::Pipeline& pipeline) {
  return ObjectFace<CKeltoRoutes>(pipeline, kRoutesSlot);
}

ComPtr<CKeltoComponent> CKeltoFile::ComponentFace(kelto::data::Component& component) {
  return ObjectFace<CKeltoComponent>(component, kComponentSlot);
}

ComPtr<CKeltoItem> CKeltoFile::ItemFace(kelto::data::Component& component) {
  return ObjectFace<CKeltoItem>(component, kItemSlot);
}

ComPtr<CKeltoPoints> CKeltoFile::PointsFace(kelto::data::Component& component) {
  return ObjectFace<CKeltoPoints>(component, kPointsSlot);
}

ComPtr<CKeltoLegs> CKeltoFile::LegsFace(kelto::data::Component& component) {
  return ObjectFace<CKeltoLegs>(component, kLegsSlot);
}

ComPtr<CKeltoAttributes> CKeltoFile::AttributesFace(kelto::data::Component& component) {
  return ObjectFace<CKeltoAttributes>(component, kAttributesSlot);
}

ComPtr<CKeltoPoint> CKeltoFile::PointFace(const kelto::data::Point& point) {
  return TableFace<CKeltoPoint>(pointFaces_, data_->AllPoints(), point);
}

ComPtr<CKeltoLeg> CKeltoFile::LegFace(const kelto::data::Leg& leg) {
  return TableFace<CKeltoLeg>(legFaces_, data_->AllLegs(), leg);
}

ComPtr<CKeltoAttribute> CKeltoFile::AttributeFace(const kelto::data::Attribute& attribute) {
  return TableFace<CKeltoAttribute>(attributeFaces_, data_->AllAttributes(), attribute);
}

ComPtr<CKeltoRoute> CKeltoFile::RouteFace(const kelto::data::Route& route) {
  return RecordFace<CKeltoRoute>(route);
}

ComPtr<CKeltoRouteEntry> CKeltoFile::RouteEntryFace(const kelto::data::RouteEntry& entry) {
  return RecordFace<CKeltoRouteEntry>(entry);
}

// The data layer gave the surviving pipelines and components their old
// addresses, and made every new one while all old ones still existed, so an
// address in the cache that the new contents list is the same object. The
// rest of the cache points at objects that are gone.
void CKeltoFile::RetireStaleFaces() noexcept {
  const std::uint64_t generation = data_->Generation();
  const auto mark = [&](const void* object) {
    const auto it = objectFaces_.find(object);
    if (it != objectFaces_.end()) it->second.seen = generation;
  };
  for (const kelto::data::Pipeline* p : data_->Pipelines()) mark(p);
  for (const kelto::data::Component* c : data_->Components()) mark(c);

  for (auto it = objectFaces_.begin(); it != objectFaces_.end();) {
    if (it->second.seen == generation) {
      ++it;
      continue;
    }
    const ObjectFaces gone = it->second;
    it = objectFaces_.erase(it);
    for (FaceLink* face : gone.faces)
      if (face) face->Retire();
  }

  // Records all belong to the previous contents. Retiring may delete a face,
  // which never reaches back into the cache.
  for (auto& [key, face] : recordFaces_) face->Retire();
  recordFaces_.clear();
  for (auto* table : {&pointFaces_, &legFaces_, &attributeFaces_}) {
    for (FaceLink* face : *table)
      if (face) face->Retire();
    table->clear();
  }
}

}  // namespace kelto::faces
