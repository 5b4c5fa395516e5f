// A small in-memory piping model for the solid-builder tests: files,
// pipelines, components with named points, legs, attributes and attachments,
// routes, and a path walker registered under the walker's class id, all
// behind the piping interfaces the builder reads. Tests make exactly the
// components they need and can break any call on purpose.
//
// Points answer late-bound calls (Name, Bore, BoreUnits, EndType,
// IsInternalPoint) so that external-dimension rules can be evaluated on them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Point3.h"
#include "core/Vector3.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Object.h"
#include "platform/com/Variant.h"

// clang-format off
KELTO_DISPATCH_MAP(IKeltoPoint,
    kelto::com::PropGet<&IKeltoPoint::get_Name>("Name", 1),
    kelto::com::PropGet<&IKeltoPoint::get_Bore>("Bore", 2),
    kelto::com::PropGet<&IKeltoPoint::get_BoreUnits>("BoreUnits", 3),
    kelto::com::PropGet<&IKeltoPoint::get_EndType>("EndType", 4),
    kelto::com::PropGet<&IKeltoPoint::get_IsInternalPoint>("IsInternalPoint", 5));
// clang-format on

namespace solid_test {

using kelto::com::ComPtr;

// IDispatch members for fakes nobody calls late-bound.
template <class I>
struct NoDispatch : I {
  HRESULT GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

}  // namespace solid_test

// QueryInterface finds a NoDispatch<I> under I's identifier.
template <class I>
struct kelto::com::InterfaceId<solid_test::NoDispatch<I>> {
  using parent = typename InterfaceId<I>::parent;
  static constexpr IID value = InterfaceId<I>::value;
};

namespace solid_test {

class FakeComponent;
class FakePipeline;
class FakeFile;

class FakePoint : public kelto::com::Object<FakePoint, kelto::com::Dual<IKeltoPoint>> {
 public:
  std::string name;
  CPoint3 position;
  double bore = 0;
  long boreUnits = 2;
  std::string endType;
  bool internal = false;
  FakePoint* connected = nullptr;
  FakeComponent* owner = nullptr;

  HRESULT get_Name(BSTR* v) override;
  HRESULT Position(double* x, double* y, double* z) override;
  HRESULT get_Bore(double* v) override;
  HRESULT get_BoreUnits(LONG* v) override;
  HRESULT get_EndType(BSTR* v) override;
  HRESULT get_IsInternalPoint(VARIANT_BOOL* v) override;
  HRESULT get_ConnectedPoint(IKeltoPoint** v) override;
  HRESULT get_OwnerComponent(IKeltoComponent** v) override;
};

class FakeLeg : public kelto::com::Object<FakeLeg, NoDispatch<IKeltoLeg>> {
 public:
  std::string from, to;
  std::optional<CVector3> direction;
  double length = 0;

  HRESULT get_FromPoint(BSTR* v) override;
  HRESULT get_ToPoint(BSTR* v) override;
  HRESULT get_HasDirection(VARIANT_BOOL* v) override;
  HRESULT Direction(double* x, double* y, double* z) override;
  HRESULT get_Length(double* v) override;
};

class FakeItem : public kelto::com::Object<FakeItem, NoDispatch<IKeltoItem>> {
 public:
  std::string typeName, groupName, shapeCode;
  HRESULT get_TypeName(BSTR* v) override;
  HRESULT get_GroupName(BSTR* v) override;
  HRESULT get_ItemCode(LONG* v) override;
  HRESULT get_SymbolKey(BSTR* v) override;
  HRESULT get_ShapeCode(BSTR* v) override;
};

class FakeComponent : public kelto::com::Object<FakeComponent, NoDispatch<IKeltoComponent>> {
 public:
  std::string id;
  FakePipeline* pipeline = nullptr;
  ComPtr<FakeItem> details = kelto::com::MakeObject<FakeItem>();
  std::vector<ComPtr<FakePoint>> points;
  std::vector<ComPtr<FakeLeg>> legs;
  std::map<std::string, std::string> attributes;
  std::vector<FakeComponent*> attachments;
  // Set to make get_Legs fail (a broken data source).
  bool failLegs = false;

  // Adds a point; returns it for further settings.
  FakePoint& Point(const std::string& name, CPoint3 position, double bore = 100,
                   const std::string& endType = "BW", bool internal = false, long units = 2);
  // Adds a leg; its direction is given, or taken from the two points' positions
  // (none when they coincide), its length their distance.
  FakeLeg& Leg(const std::string& from, const std::string& to,
               std::optional<CVector3> direction = std::nullopt);
  FakePoint* Find(const std::string& name) const;

  HRESULT get_Id(BSTR* v) override;
  HRESULT get_Pipeline(IKeltoPipeline** v) override;
  HRESULT get_Legs(IKeltoLegs** v) override;
  HRESULT get_Points(IKeltoPoints** v) override;
  HRESULT get_Attributes(IKeltoAttributes** v) override;
  HRESULT get_Details(IKeltoItem** v) override;
  HRESULT get_AttachmentCount(LONG* v) override;
  HRESULT get_Attachment(LONG index, IKeltoComponent** v) override;
};

class FakePipeline : public kelto::com::Object<FakePipeline, NoDispatch<IKeltoPipeline>> {
 public:
  std::string name;
  FakeFile* file = nullptr;
  std::vector<ComPtr<FakeComponent>> components;
  // The routes; when empty, one route of all components in order.
  std::vector<std::vector<FakeComponent*>> routes;

  FakeComponent& Add(const std::string& id, const std::string& type,
                     const std::string& group = "Pipe");

  HRESULT get_Name(BSTR* v) override;
  HRESULT get_Components(IKeltoComponents** v) override;
  HRESULT get_File(IKeltoFile** v) override;
  HRESULT Routes(LONG, LONG, IKeltoRoutes** v) override;
};

class FakeFile : public kelto::com::Object<FakeFile, NoDispatch<IKeltoFile>> {
 public:
  std::vector<ComPtr<FakePipeline>> pipelines;
  // Set to make get_Pipelines return a null collection.
  bool nullPipelines = false;

  FakePipeline& Add(const std::string& name);
  // Connects coincident ends of different components, as the real data does.
  void Connect();

  HRESULT get_Pipelines(IKeltoPipelines** v) override;
  HRESULT Load(BSTR) override { return E_NOTIMPL; }
  HRESULT get_Path(BSTR* v) override;
};

inline ComPtr<FakeFile> MakeFile() { return kelto::com::MakeObject<FakeFile>(); }

// Makes the fake walker creatable through CoCreateInstance(KeltoPathWalker)
// for the life of the object.
class WalkerRegistration {
 public:
  WalkerRegistration();
  ~WalkerRegistration();
  WalkerRegistration(const WalkerRegistration&) = delete;
  WalkerRegistration& operator=(const WalkerRegistration&) = delete;

 private:
  DWORD m_cookie = 0;
};

}  // namespace solid_test
