#include "FakePiping.h"

#include <stdexcept>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"

namespace solid_test {

namespace {

using kelto::com::AllocBstr;
using kelto::com::MakeObject;

template <class I>
HRESULT Hand(I* object, I** out) {
  *out = object;
  if (object) object->AddRef();
  return S_OK;
}

BSTR Text(const std::string& s) { return AllocBstr(std::string_view(s)); }

// A collection over a snapshot of items; indexes are 0-based longs, and
// names (when the item type has one) look items up.
template <class ICollection, class IItem, class Impl>
class Collection
    : public kelto::com::Object<Collection<ICollection, IItem, Impl>, NoDispatch<ICollection>> {
 public:
  using NameOf = std::string (*)(const Impl&);
  Collection(std::vector<ComPtr<Impl>> items, NameOf nameOf)
      : m_items(std::move(items)), m_nameOf(nameOf) {}

  HRESULT get_Count(LONG* v) override {
    *v = static_cast<LONG>(m_items.size());
    return S_OK;
  }
  HRESULT get_Item(VARIANT index, IItem** v) override {
    *v = nullptr;
    if (index.vt == VT_BSTR) {
      if (!m_nameOf) return E_INVALIDARG;
      const std::string name = kelto::com::BstrToUtf8(index.bstrVal);
      for (const auto& item : m_items)
        if (m_nameOf(*item) == name) return Hand<IItem>(item.Get(), v);
      return S_OK;  // unknown names give nothing, not an error
    }
    _variant_t i;
    if (FAILED(VariantChangeType(&i, &index, 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    if (i.lVal < 0 || static_cast<size_t>(i.lVal) >= m_items.size()) return DISP_E_BADINDEX;
    return Hand<IItem>(m_items[i.lVal].Get(), v);
  }
  HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

 private:
  std::vector<ComPtr<Impl>> m_items;
  NameOf m_nameOf;
};

class FakeAttribute : public kelto::com::Object<FakeAttribute, NoDispatch<IKeltoAttribute>> {
 public:
  std::string name, value;
  HRESULT get_Name(BSTR* v) override {
    *v = Text(name);
    return S_OK;
  }
  HRESULT get_Value(VARIANT* v) override {
    VariantInit(v);
    v->vt = VT_BSTR;
    v->bstrVal = Text(value);
    return S_OK;
  }
};

class FakeEntry : public kelto::com::Object<FakeEntry, NoDispatch<IKeltoRouteEntry>> {
 public:
  FakeComponent* component = nullptr;
  HRESULT get_Value(VARIANT* v) override {
    VariantInit(v);
    v->vt = VT_DISPATCH;
    v->pdispVal = static_cast<IKeltoComponent*>(component);
    component->AddRef();
    return S_OK;
  }
};

using FakeRoute = Collection<IKeltoRoute, IKeltoRouteEntry, FakeEntry>;
using FakeRoutes = Collection<IKeltoRoutes, IKeltoRoute, FakeRoute>;

// The walk of the piping data: along the next leg of the same component that
// touches the point (other than the one arrived by), else across the
// connection into the neighbour, whose first leg touching the point is taken.
class FakeWalker : public kelto::com::Object<FakeWalker, NoDispatch<IKeltoPathWalker>> {
 public:
  HRESULT Start(IKeltoPoint* point, IKeltoLeg* leg) override {
    m_current = static_cast<FakePoint*>(point);
    m_via = static_cast<FakeLeg*>(leg);
    return S_OK;
  }
  HRESULT Next(IKeltoPoint** v) override {
    *v = nullptr;
    if (!m_current) return S_OK;
    if (FakePoint* next = Along(*m_current->owner, m_current, m_via)) return Move(next, v);
    if (FakePoint* across = m_current->connected) {
      m_current = across;
      m_via = nullptr;
      return Hand<IKeltoPoint>(across, v);
    }
    m_current = nullptr;
    return S_OK;
  }

 private:
  FakePoint* Along(FakeComponent& c, FakePoint* at, FakeLeg* exclude) {
    for (const auto& leg : c.legs) {
      if (leg.Get() == exclude) continue;
      if (leg->from == at->name) {
        m_via = leg.Get();
        return c.Find(leg->to);
      }
      if (leg->to == at->name) {
        m_via = leg.Get();
        return c.Find(leg->from);
      }
    }
    return nullptr;
  }
  HRESULT Move(FakePoint* next, IKeltoPoint** v) {
    m_current = next;
    return Hand<IKeltoPoint>(next, v);
  }

  FakePoint* m_current = nullptr;
  FakeLeg* m_via = nullptr;
};

class WalkerFactory : public kelto::com::Object<WalkerFactory, IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    return MakeObject<FakeWalker>()->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

}  // namespace

// --- FakePoint -----------------------------------------------------------------
HRESULT FakePoint::get_Name(BSTR* v) {
  *v = Text(name);
  return S_OK;
}
HRESULT FakePoint::Position(double* x, double* y, double* z) {
  *x = position.x;
  *y = position.y;
  *z = position.z;
  return S_OK;
}
HRESULT FakePoint::get_Bore(double* v) {
  *v = bore;
  return S_OK;
}
HRESULT FakePoint::get_BoreUnits(LONG* v) {
  *v = static_cast<LONG>(boreUnits);
  return S_OK;
}
HRESULT FakePoint::get_EndType(BSTR* v) {
  *v = Text(endType);
  return S_OK;
}
HRESULT FakePoint::get_IsInternalPoint(VARIANT_BOOL* v) {
  *v = internal ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
HRESULT FakePoint::get_ConnectedPoint(IKeltoPoint** v) { return Hand<IKeltoPoint>(connected, v); }
HRESULT FakePoint::get_OwnerComponent(IKeltoComponent** v) {
  return Hand<IKeltoComponent>(owner, v);
}

// --- FakeLeg -------------------------------------------------------------------
HRESULT FakeLeg::get_FromPoint(BSTR* v) {
  *v = Text(from);
  return S_OK;
}
HRESULT FakeLeg::get_ToPoint(BSTR* v) {
  *v = Text(to);
  return S_OK;
}
HRESULT FakeLeg::get_HasDirection(VARIANT_BOOL* v) {
  *v = direction ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
HRESULT FakeLeg::Direction(double* x, double* y, double* z) {
  const CVector3 d = direction.value_or(CVector3());
  *x = d.x;
  *y = d.y;
  *z = d.z;
  return S_OK;
}
HRESULT FakeLeg::get_Length(double* v) {
  *v = length;
  return S_OK;
}

// --- FakeItem ------------------------------------------------------------------
HRESULT FakeItem::get_TypeName(BSTR* v) {
  *v = Text(typeName);
  return S_OK;
}
HRESULT FakeItem::get_GroupName(BSTR* v) {
  *v = Text(groupName);
  return S_OK;
}
HRESULT FakeItem::get_ItemCode(LONG* v) {
  *v = 0;
  return S_OK;
}
HRESULT FakeItem::get_SymbolKey(BSTR* v) {
  *v = Text("");
  return S_OK;
}
HRESULT FakeItem::get_ShapeCode(BSTR* v) {
  *v = Text(shapeCode);
  return S_OK;
}

// --- FakeComponent ---------------------------------------------------------------
FakePoint& FakeComponent::Point(const std::string& name, CPoint3 position, double bore,
                                const std::string& endType, bool internal, long units) {
  auto point = MakeObject<FakePoint>();
  point->name = name;
  point->position = position;
  point->bore = bore;
  point->boreUnits = units;
  point->endType = endType;
  point->internal = internal;
  point->owner = this;
  points.push_back(point);
  return *point;
}

FakeLeg& FakeComponent::Leg(const std::string& from, const std::string& to,
                            std::optional<CVector3> direction) {
  auto leg = MakeObject<FakeLeg>();
  leg->from = from;
  leg->to = to;
  const FakePoint* a = Find(from);
  const FakePoint* b = Find(to);
  if (a && b) {
    const CVector3 v = b->position - a->position;
    leg->length = v.Length();
    if (!direction && !v.IsZero()) direction = v.Normalised();
  }
  leg->direction = direction;
  legs.push_back(leg);
  return *leg;
}

FakePoint* FakeComponent::Find(const std::string& name) const {
  for (const auto& p : points)
    if (p->name == name) return p.Get();
  return nullptr;
}

HRESULT FakeComponent::get_Id(BSTR* v) {
  *v = Text(id);
  return S_OK;
}
HRESULT FakeComponent::get_Pipeline(IKeltoPipeline** v) {
  return Hand<IKeltoPipeline>(pipeline, v);
}
HRESULT FakeComponent::get_Legs(IKeltoLegs** v) {
  *v = nullptr;
  if (failLegs) return E_FAIL;
  auto c = MakeObject<Collection<IKeltoLegs, IKeltoLeg, FakeLeg>>(legs, nullptr);
  return c->QueryInterface(kelto::com::IidOf<IKeltoLegs>(), reinterpret_cast<void**>(v));
}
HRESULT FakeComponent::get_Points(IKeltoPoints** v) {
  auto c = MakeObject<Collection<IKeltoPoints, IKeltoPoint, FakePoint>>(
      points, [](const FakePoint& p) { return p.name; });
  return c->QueryInterface(kelto::com::IidOf<IKeltoPoints>(), reinterpret_cast<void**>(v));
}
HRESULT FakeComponent::get_Attributes(IKeltoAttributes** v) {
  std::vector<ComPtr<FakeAttribute>> items;
  for (const auto& [name, value] : attributes) {
    auto a = MakeObject<FakeAttribute>();
    a->name = name;
    a->value = value;
    items.push_back(a);
  }
  auto c = MakeObject<Collection<IKeltoAttributes, IKeltoAttribute, FakeAttribute>>(
      items, [](const FakeAttribute& a) { return a.name; });
  return c->QueryInterface(kelto::com::IidOf<IKeltoAttributes>(), reinterpret_cast<void**>(v));
}
HRESULT FakeComponent::get_Details(IKeltoItem** v) { return Hand<IKeltoItem>(details.Get(), v); }
HRESULT FakeComponent::get_AttachmentCount(LONG* v) {
  *v = static_cast<LONG>(attachments.size());
  return S_OK;
}
HRESULT FakeComponent::get_Attachment(LONG index, IKeltoComponent** v) {
  *v = nullptr;
  if (index < 0 || static_cast<size_t>(index) >= attachments.size()) return DISP_E_BADINDEX;
  return Hand<IKeltoComponent>(attachments[index], v);
}

// --- FakePipeline ----------------------------------------------------------------
FakeComponent& FakePipeline::Add(const std::string& id, const std::string& type,
                                 const std::string& group) {
  auto c = MakeObject<FakeComponent>();
  c->id = id;
  c->pipeline = this;
  c->details->typeName = type;
  c->details->groupName = group;
  components.push_back(c);
  return *c;
}
HRESULT FakePipeline::get_Name(BSTR* v) {
  *v = Text(name);
  return S_OK;
}
HRESULT FakePipeline::get_Components(IKeltoComponents** v) {
  auto c =
      MakeObject<Collection<IKeltoComponents, IKeltoComponent, FakeComponent>>(components, nullptr);
  return c->QueryInterface(kelto::com::IidOf<IKeltoComponents>(), reinterpret_cast<void**>(v));
}
HRESULT FakePipeline::get_File(IKeltoFile** v) { return Hand<IKeltoFile>(file, v); }
HRESULT FakePipeline::Routes(LONG, LONG, IKeltoRoutes** v) {
  std::vector<std::vector<FakeComponent*>> chains = routes;
  if (chains.empty()) {
    chains.emplace_back();
    for (const auto& c : components) chains.back().push_back(c.Get());
  }
  std::vector<ComPtr<FakeRoute>> made;
  for (const auto& chain : chains) {
    std::vector<ComPtr<FakeEntry>> entries;
    for (FakeComponent* c : chain) {
      auto e = MakeObject<FakeEntry>();
      e->component = c;
      entries.push_back(e);
    }
    made.push_back(MakeObject<FakeRoute>(entries, nullptr));
  }
  auto c = MakeObject<FakeRoutes>(made, nullptr);
  return c->QueryInterface(kelto::com::IidOf<IKeltoRoutes>(), reinterpret_cast<void**>(v));
}

// --- FakeFile ----------------------------------------------------------------------
FakePipeline& FakeFile::Add(const std::string& name) {
  auto p = MakeObject<FakePipeline>();
  p->name = name;
  p->file = this;
  pipelines.push_back(p);
  return *p;
}

void FakeFile::Connect() {
  std::vector<FakePoint*> ends;
  for (const auto& p : pipelines)
    for (const auto& c : p->components)
      for (const auto& point : c->points)
        if (!point->internal) ends.push_back(point.Get());
  for (FakePoint* a : ends) a->connected = nullptr;
  for (size_t i = 0; i < ends.size(); ++i) {
    if (ends[i]->connected) continue;
    for (size_t j = i + 1; j < ends.size(); ++j) {
      if (ends[j]->connected || ends[j]->owner == ends[i]->owner) continue;
      if (ends[i]->position.IsEqual(ends[j]->position)) {
        ends[i]->connected = ends[j];
        ends[j]->connected = ends[i];
        break;
      }
    }
  }
}

HRESULT FakeFile::get_Pipelines(IKeltoPipelines** v) {
  *v = nullptr;
  if (nullPipelines) return S_OK;
  auto c =
      MakeObject<Collection<IKeltoPipelines, IKeltoPipeline, FakePipeline>>(pipelines, nullptr);
  return c->QueryInterface(kelto::com::IidOf<IKeltoPipelines>(), reinterpret_cast<void**>(v));
}
HRESULT FakeFile::get_Path(BSTR* v) {
  *v = Text("fake.json");
  return S_OK;
}

// --- WalkerRegistration --------------------------------------------------------------
WalkerRegistration::WalkerRegistration() {
  auto factory = MakeObject<WalkerFactory>();
  if (FAILED(CoRegisterClassObject(kelto::clsid::KeltoPathWalker, factory.Get(),
                                   CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)))
    throw std::runtime_error("cannot register the fake path walker");
}

WalkerRegistration::~WalkerRegistration() { CoRevokeClassObject(m_cookie); }

}  // namespace solid_test
