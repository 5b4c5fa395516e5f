// CKeltoFile: the scripting class KeltoFile (IKeltoFile), a piping file and
// the owner of every face of its contents.
//
// A host creates it (CoCreateInstance(kelto::clsid::KeltoFile) or the ProgID
// "Kelto.File") and calls Load(path). Before the first load the file is empty:
// no pipelines, Path "".
//
// Faces. Each pipeline, component, details, point, leg, attribute, route and
// route entry, and each collection, gets one face, made on first request and
// kept in the cache below until the file object goes, so the same object
// always answers with the same IUnknown (Face.h explains the ownership).
// Faces are made in the file's FacePool; points, legs and attributes find
// theirs by the record's place in the file's arrays, without hashing.
// Faces of pipelines and components (and of their details and collections)
// are keyed by the data layer's Pipeline and Component objects, which keep
// their addresses when a reload keeps their ids; those faces survive the
// reload. Faces of records (points, legs, attributes, routes, route entries)
// belong to one load and are retired by the next successful one.
//
// Load. A path may name a JSON or PCF file (told apart by the content) or a
// folder of them, loaded as one plant; IKeltoFileLoading (the second
// interface) sets KeepGoing and reads the warnings of the last load.
// A failed load changes nothing: the contents, the path and every face
// stay as they were. The HRESULT is E_INVALIDARG for an empty path and E_FAIL
// otherwise; the error info carries the loader's message, which names the
// file, the JSON path and the problem.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "kelto/Piping.h"
#include "kelto/com/FaceDispatch.h"
#include "kelto/com/FacePool.h"
#include "kelto/com/ModuleLock.h"
#include "kelto/com/PipingDispatch.h"
#include "kelto/data/File.h"
#include "kelto/data/Pipeline.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"

namespace kelto::faces {

class FaceLink;
class CKeltoAttribute;
class CKeltoAttributes;
class CKeltoComponent;
class CKeltoComponents;
class CKeltoItem;
class CKeltoLeg;
class CKeltoLegs;
class CKeltoPipeline;
class CKeltoPipelines;
class CKeltoPoint;
class CKeltoPoints;
class CKeltoRoute;
class CKeltoRouteEntry;
class CKeltoRoutes;

class CKeltoFile : public ComObject<CKeltoFile, FaceDispatch<IKeltoFile>,
                                    kelto::com::SupportErrorInfo<IKeltoFile>,
                                    FaceDispatch<IKeltoFileLoading>> {
 public:
  CKeltoFile();
  ~CKeltoFile() override;

  // IKeltoFile
  HRESULT get_Pipelines(IKeltoPipelines** pipelines) override;
  HRESULT Load(BSTR path) override;
  HRESULT get_Path(BSTR* path) override;

  // IKeltoFileLoading
  HRESULT get_KeepGoing(VARIANT_BOOL* keepGoing) override;
  HRESULT put_KeepGoing(VARIANT_BOOL keepGoing) override;
  HRESULT get_Warnings(BSTR* warnings) override;

  kelto::data::File& Data() const { return *data_; }

  // The face of an object of the current contents, made on first request.
  // They throw std::bad_alloc only.
  kelto::com::ComPtr<CKeltoPipelines> PipelinesFace();
  kelto::com::ComPtr<CKeltoPipeline> PipelineFace(kelto::data::Pipeline& pipeline);
  kelto::com::ComPtr<CKeltoComponents> ComponentsFace(kelto::data::Pipeline& pipeline);
  kelto::com::ComPtr<CKeltoRoutes> RoutesFace(kelto::data::Pipeline& pipeline);
  kelto::com::ComPtr<CKeltoComponent> ComponentFace(kelto::data::Component& component);
  kelto::com::ComPtr<CKeltoItem> ItemFace(kelto::data::Component& component);
  kelto::com::ComPtr<CKeltoPoints> PointsFace(kelto::data::Component& component);
  kelto::com::ComPtr<CKeltoLegs> LegsFace(kelto::data::Component& component);
  kelto::com::ComPtr<CKeltoAttributes> AttributesFace(kelto::data::Component& component);
  kelto::com::ComPtr<CKeltoPoint> PointFace(const kelto::data::Point& point);
  kelto::com::ComPtr<CKeltoLeg> LegFace(const kelto::data::Leg& leg);
  kelto::com::ComPtr<CKeltoAttribute> AttributeFace(const kelto::data::Attribute& attribute);
  kelto::com::ComPtr<CKeltoRoute> RouteFace(const kelto::data::Route& route);
  kelto::com::ComPtr<CKeltoRouteEntry> RouteEntryFace(const kelto::data::RouteEntry& entry);

  // How many faces the cache holds (for tests of what a reload retires).
  std::size_t CachedFaces() const;
  // The storage of this file's faces (see Face::Destroy).
  FacePool& Faces() noexcept { return pool_; }

 private:
  // The faces of one pipeline (pipeline, components, routes) or of one
  // component (component, details, points, legs, attributes), by slot.
  struct ObjectFaces {
    std::array<FaceLink*, 5> faces{};
    std::uint64_t seen = 0;  // the last load that still had the object
  };

  template <class FaceT, class Object>
  kelto::com::ComPtr<FaceT> ObjectFace(Object& object, std::size_t slot);
  template <class FaceT, class... Source>
  FaceT* NewFace(Source&... source);
  template <class FaceT, class Record>
  kelto::com::ComPtr<FaceT> RecordFace(const Record& record);
  // The face of a record of the current contents, by its index in all.
  template <class FaceT, class Record>
  kelto::com::ComPtr<FaceT> TableFace(std::vector<FaceLink*>& table, std::span<const Record> all,
                                      const Record& record);
  // After a successful load: retires the faces of objects the load dropped
  // and of every record of the previous contents. Allocates nothing, so it
  // cannot fail half-way.
  void RetireStaleFaces() noexcept;

  FacePool pool_;
  std::unique_ptr<kelto::data::File> data_;
  std::unordered_map<const void*, ObjectFaces> objectFaces_;  // key: data Pipeline or Component
  // Faces of the current contents' points, legs and attributes, by index in
  // the file's arrays (empty until the first face of the kind is asked for).
  std::vector<FaceLink*> pointFaces_;
  std::vector<FaceLink*> legFaces_;
  std::vector<FaceLink*> attributeFaces_;
  std::unordered_map<const void*, FaceLink*> recordFaces_;  // routes and route entries of this load
  FaceLink* pipelinesFace_ = nullptr;
};

}  // namespace kelto::faces
