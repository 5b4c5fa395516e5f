// The collection faces of the piping interfaces (FaceCollection.h has the
// rules they share): the file's pipelines, a pipeline's components and
// routes, a route's entries, a component's points, legs and attributes.
//
// Collections read the current contents at every call, so a collection kept
// across a reload (those of pipelines and components whose ids survive)
// lists what the latest load says. A route belongs to one load (Face.h).
#pragma once

#include <string>

#include "kelto/com/FaceCollection.h"
#include "kelto/data/Component.h"
#include "kelto/data/Pipeline.h"

namespace kelto::faces {

class CKeltoPipelines : public FaceCollection<CKeltoPipelines, IKeltoPipelines, IKeltoPipeline> {
 public:
  static constexpr bool kByName = false;
  explicit CKeltoPipelines(CKeltoFile& file) noexcept : FaceCollection(file) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoPipeline> At(std::size_t position);

 private:
  void Forget() noexcept override {}
};

class CKeltoComponents
    : public FaceCollection<CKeltoComponents, IKeltoComponents, IKeltoComponent> {
 public:
  static constexpr bool kByName = false;
  CKeltoComponents(CKeltoFile& file, kelto::data::Pipeline& pipeline) noexcept
      : FaceCollection(file), pipeline_(&pipeline) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoComponent> At(std::size_t position);

 private:
  void Forget() noexcept override { pipeline_ = nullptr; }
  kelto::data::Pipeline& Record() const;

  kelto::data::Pipeline* pipeline_;
};

class CKeltoRoutes : public FaceCollection<CKeltoRoutes, IKeltoRoutes, IKeltoRoute> {
 public:
  static constexpr bool kByName = false;
  CKeltoRoutes(CKeltoFile& file, kelto::data::Pipeline& pipeline) noexcept
      : FaceCollection(file), pipeline_(&pipeline) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoRoute> At(std::size_t position);

 private:
  void Forget() noexcept override { pipeline_ = nullptr; }
  kelto::data::Pipeline& Record() const;

  kelto::data::Pipeline* pipeline_;
};

class CKeltoRoute : public FaceCollection<CKeltoRoute, IKeltoRoute, IKeltoRouteEntry> {
 public:
  static constexpr bool kByName = false;
  CKeltoRoute(CKeltoFile& file, const kelto::data::Route& route) noexcept
      : FaceCollection(file), route_(&route) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoRouteEntry> At(std::size_t position);

 private:
  void Forget() noexcept override { route_ = nullptr; }
  const kelto::data::Route& Record() const;

  const kelto::data::Route* route_;
};

class CKeltoPoints : public FaceCollection<CKeltoPoints, IKeltoPoints, IKeltoPoint> {
 public:
  static constexpr bool kByName = true;
  CKeltoPoints(CKeltoFile& file, kelto::data::Component& component) noexcept
      : FaceCollection(file), component_(&component) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoPoint> At(std::size_t position);
  kelto::com::ComPtr<IKeltoPoint> Named(const std::string& name);

 private:
  void Forget() noexcept override { component_ = nullptr; }
  kelto::data::Component& Record() const;

  kelto::data::Component* component_;
};

class CKeltoLegs : public FaceCollection<CKeltoLegs, IKeltoLegs, IKeltoLeg> {
 public:
  static constexpr bool kByName = false;
  CKeltoLegs(CKeltoFile& file, kelto::data::Component& component) noexcept
      : FaceCollection(file), component_(&component) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoLeg> At(std::size_t position);

 private:
  void Forget() noexcept override { component_ = nullptr; }
  kelto::data::Component& Record() const;

  kelto::data::Component* component_;
};

class CKeltoAttributes
    : public FaceCollection<CKeltoAttributes, IKeltoAttributes, IKeltoAttribute> {
 public:
  static constexpr bool kByName = true;
  CKeltoAttributes(CKeltoFile& file, kelto::data::Component& component) noexcept
      : FaceCollection(file), component_(&component) {}

  std::size_t Size();
  kelto::com::ComPtr<IKeltoAttribute> At(std::size_t position);
  kelto::com::ComPtr<IKeltoAttribute> Named(const std::string& name);

 private:
  void Forget() noexcept override { component_ = nullptr; }
  kelto::data::Component& Record() const;

  kelto::data::Component* component_;
};

}  // namespace kelto::faces
