#include "core/ComWrapper.h"

#include <gtest/gtest.h>

#include "core/BaseWrapper.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Object.h"

namespace {

struct IThing : IUnknown {
  virtual HRESULT Touch() = 0;
};

struct CThingBase {
  virtual ~CThingBase() = default;
  virtual int Kind() const = 0;
};

// Internal objects: one owned by its wrapper, one counted intrusively.
struct CThing : CWrappedClass {
  static inline int alive = 0;
  CThing() { ++alive; }
  CThing(const CThing& o) : CWrappedClass(o), value(o.value) { ++alive; }
  ~CThing() { --alive; }
  int value = 0;
};
struct CCountedThing : CThingBase, CWrappedClass, cptr::counted<CCountedThing> {
  static inline int alive = 0;
  CCountedThing() { ++alive; }
  ~CCountedThing() override { --alive; }
  int Kind() const override { return 7; }
};

}  // namespace

KELTO_INTERFACE_IID(IThing, IUnknown, "6C0D2C1E-7A4B-4F0B-9E51-2B8A3F6D1A01");

namespace {

struct ThingClass {
  static constexpr CLSID clsid = kelto::com::MakeGuid("6C0D2C1E-7A4B-4F0B-9E51-2B8A3F6D1A02");
};
struct CountedThingClass {
  static constexpr CLSID clsid = kelto::com::MakeGuid("6C0D2C1E-7A4B-4F0B-9E51-2B8A3F6D1A03");
};

class CComThing
    : public kelto::com::Object<CComThing, IThing>,
      public CComWrapper<CThing, CComThing, ThingClass, IThing, CThing*, CDPOwner<CThing>> {
 public:
  HRESULT Touch() override {
    ++GetObject()->value;
    return S_OK;
  }
};

using Details = BaseWrapperDetails<CThingBase, cptr::counted_ptr<CThingBase>, IThing*>;
class CComCountedThing
    : public kelto::com::Object<CComCountedThing, IThing>,
      public CComWrapper<CCountedThing, CComCountedThing, CountedThingClass, IThing,
                         cptr::counted_ptr<CCountedThing, 1>, CDPCounted<CCountedThing>>,
      public CBaseWrapperImpl<Details, CComCountedThing, CCountedThing> {
 public:
  HRESULT Touch() override { return GetObject() ? S_OK : E_FAIL; }
};

const kelto::com::ClassEntry kClasses[] = {
    {ThingClass::clsid, nullptr, nullptr, "Thing", &kelto::com::CreateInstanceOf<CComThing>},
    {CountedThingClass::clsid, nullptr, nullptr, "Counted thing",
     &kelto::com::CreateInstanceOf<CComCountedThing>},
};

// Registers the two classes with the runtime for the length of a test.
class ComWrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CThing::alive = CCountedThing::alive = 0;
    for (int i = 0; i < 2; ++i) {
      auto factory =
          kelto::com::MakeObject<kelto::com::ClassFactory<kelto::com::NoModuleLock>>(kClasses[i]);
      ASSERT_EQ(CoRegisterClassObject(kClasses[i].clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                      REGCLS_MULTIPLEUSE, &m_cookies[i]),
                S_OK);
    }
  }
  void TearDown() override {
    for (DWORD cookie : m_cookies) CoRevokeClassObject(cookie);
    EXPECT_EQ(CThing::alive, 0);
    EXPECT_EQ(CCountedThing::alive, 0);
  }
  DWORD m_cookies[2] = {};
};

TEST_F(ComWrapperTest, ScriptCreatedWrapperMakesAndOwnsItsObjectOnFirstUse) {
  auto face = kelto::com::MakeObject<CComThing>();
  EXPECT_EQ(face->PeekObject(), nullptr);
  face->Touch();
  face->Touch();
  ASSERT_NE(face->PeekObject(), nullptr);
  EXPECT_EQ(face->PeekObject()->value, 2);
  EXPECT_EQ(face->PeekObject()->GetWrapper(), face.Get());
  EXPECT_EQ(CThing::alive, 1);
  face.Reset();  // the owner deletes its object
  EXPECT_EQ(CThing::alive, 0);
}

TEST_F(ComWrapperTest, FaceOfAnObjectIsCreatedOnceAndNotOwned) {
  auto* thing = new CThing;
  {
    kelto::com::ComPtr<IThing> a = CComThing::FaceOf(thing);
    kelto::com::ComPtr<IThing> b = CComThing::FaceOf(thing);
    ASSERT_TRUE(a);
    EXPECT_EQ(a.Get(), b.Get());
    a->Touch();
    EXPECT_EQ(thing->value, 1);
    EXPECT_EQ(CComThing::GetObj(a.Get())->PeekObject(), thing);
  }
  EXPECT_EQ(thing->GetWrapper(), nullptr);  // the face died and let go
  EXPECT_EQ(CThing::alive, 1);
  IThing* none = nullptr;
  EXPECT_EQ(CComThing::FaceOf(nullptr, &none), S_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(CComThing::GetObj(nullptr), nullptr);
  delete thing;
}

TEST_F(ComWrapperTest, DestroyedObjectLeavesWrapperThatCreatesAFreshOne) {
  auto* thing = new CThing;
  thing->value = 5;
  kelto::com::ComPtr<IThing> face = CComThing::FaceOf(thing);
  CComThing* wrapper = CComThing::GetObj(face.Get());
  delete thing;
  EXPECT_EQ(wrapper->PeekObject(), nullptr);
  face->Touch();  // a new, empty object, owned this time
  EXPECT_EQ(wrapper->PeekObject()->value, 1);
  CThing* fresh = wrapper->PeekObject();
  wrapper->SetCreateOnDemand(false);
  wrapper->Detach();
  EXPECT_EQ(CThing::alive, 1);  // detaching never deletes
  EXPECT_EQ(wrapper->GetObject(), nullptr);
  delete fresh;
}

TEST_F(ComWrapperTest, AttachMovesTheObjectAwayFromAnEarlierWrapper) {
  CThing thing;
  auto first = kelto::com::MakeObject<CComThing>();
  auto second = kelto::com::MakeObject<CComThing>();
  first->Attach(&thing);
  second->Attach(&thing);
  EXPECT_EQ(first->PeekObject(), nullptr);
  EXPECT_EQ(second->PeekObject(), &thing);
  EXPECT_EQ(thing.GetWrapper(), second.Get());
  CThing copy = thing;  // a copy has no face
  EXPECT_EQ(copy.GetWrapper(), nullptr);
  second->Detach();
  EXPECT_EQ(thing.GetWrapper(), nullptr);
}

TEST_F(ComWrapperTest, CountedPolicySharesTheObjectsCountAndGivesTheBase) {
  cptr::counted_ptr<CCountedThing, 1> thing(new CCountedThing);
  {
    kelto::com::ComPtr<IThing> face = CComCountedThing::FaceOf(thing.get());
    EXPECT_EQ(thing.use_count(), 2u);
    CComCountedThing* wrapper = CComCountedThing::GetObj(face.Get());
    cptr::counted_ptr<CThingBase> base = wrapper->GetBaseObject();
    EXPECT_EQ(base->Kind(), 7);
    EXPECT_EQ(thing.use_count(), 3u);
  }
  EXPECT_EQ(thing.use_count(), 1u);
  EXPECT_EQ(thing->GetWrapper(), nullptr);

  // A script-made counted object lives as long as its face or a counted pointer.
  cptr::counted_ptr<CThingBase> kept;
  {
    auto face = kelto::com::MakeObject<CComCountedThing>();
    kept = face->GetBaseObject();
  }
  EXPECT_EQ(CCountedThing::alive, 2);
  kept.reset();
  EXPECT_EQ(CCountedThing::alive, 1);
}

}  // namespace
