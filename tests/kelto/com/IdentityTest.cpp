// Object identity and lifetime of the faces: one IUnknown per object for the
// life of the file object, across reloads that keep an object's id; faces of
// dropped objects fail cleanly; failed loads change nothing; everything goes
// with the last reference (the module lock count returns to where it was).
// A face nobody holds keeps its identity: FaceStorageTest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaceFixtures.h"
#include "kelto/com/ModuleLock.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

// A pipeline "L" of straight pipes, each 100 long along x, with the given ids.
std::string Plant(const std::vector<std::string>& ids, const std::string& type = "Pipe") {
  std::vector<std::string> components;
  for (std::size_t i = 0; i < ids.size(); ++i)
    components.push_back(R"({"id": ")" + ids[i] + R"(", "type": ")" + type +
                         R"(", "points": {"Run_1": {"position": [)" + std::to_string(i * 100) +
                         R"(, 0, 0]}, "Run_2": {"position": [)" + std::to_string(i * 100 + 100) +
                         R"(, 0, 0]}}})");
  return kelto::test::LineText(components);
}

// The identity of a face (no reference kept: the file's cache holds it).
IUnknown* Id(IUnknown* face) { return kelto::com::Identity(face).Get(); }

template <class I>
IUnknown* Id(const ComPtr<I>& face) {
  return Id(static_cast<IUnknown*>(face.Get()));
}

ComPtr<IKeltoPipeline> FirstPipeline(IKeltoFile* file) {
  return Out(Out(file, &IKeltoFile::get_Pipelines).Get(), &IKeltoPipelines::get_Item,
             _variant_t(0));
}

long LiveObjects() { return kelto::faces::ModuleLock::Count(); }

class Identity : public ::testing::Test {
 protected:
  void SetUp() override { baseline_ = LiveObjects(); }
  // Everything the test made is gone once its references are.
  void TearDown() override {
    file = nullptr;
    EXPECT_EQ(LiveObjects(), baseline_);
  }

  kelto::test::TempDir dir;
  const std::string path = (dir.path() / "plant.json").string();
  ComPtr<CKeltoFile> file;

 private:
  long baseline_ = 0;
};

TEST_F(Identity, EveryWayToAnObjectGivesTheSameUnknown) {
  file = OpenFile(Example("drain-spool.json"));
  const ComPtr<IKeltoComponent> valve = FindComponent(file.Get(), "D401-V1");
  const ComPtr<IKeltoComponent> pipe = FindComponent(file.Get(), "D401-P2");
  const ComPtr<IKeltoPoint> valveIn = PointOf(valve.Get(), "Run_1");

  EXPECT_EQ(Id(Out(valveIn.Get(), &IKeltoPoint::get_OwnerComponent)), Id(valve));
  EXPECT_EQ(Id(FindComponent(file.Get(), "D401-V1")), Id(valve));

  // Index and name reach the same point; so does the neighbour's connection.
  const auto points = Out(valve.Get(), &IKeltoComponent::get_Points);
  EXPECT_EQ(Id(Out(points.Get(), &IKeltoPoints::get_Item, _variant_t(0))), Id(valveIn));
  EXPECT_EQ(Id(Out(PointOf(pipe.Get(), "Run_2").Get(), &IKeltoPoint::get_ConnectedPoint)),
            Id(valveIn));

  EXPECT_EQ(Id(Out(valve.Get(), &IKeltoComponent::get_Details)),
            Id(Out(valve.Get(), &IKeltoComponent::get_Details)));
  const auto attributes = Out(valve.Get(), &IKeltoComponent::get_Attributes);
  EXPECT_EQ(Id(Out(attributes.Get(), &IKeltoAttributes::get_Item, _variant_t("TAG"))),
            Id(Out(attributes.Get(), &IKeltoAttributes::get_Item, _variant_t(1))));

  const auto pipeline = Out(valve.Get(), &IKeltoComponent::get_Pipeline);
  EXPECT_EQ(Id(pipeline), Id(FirstPipeline(file.Get())));
  EXPECT_EQ(Id(Out(pipeline.Get(), &IKeltoPipeline::get_File)),
            Id(static_cast<IKeltoFile*>(file.Get())));

  // A route entry's Value is the component's own face.
  ComPtr<IKeltoRoutes> routes;
  ASSERT_EQ(pipeline->Routes(1, 1, routes.Put()), S_OK);
  const auto route = Out(routes.Get(), &IKeltoRoutes::get_Item, _variant_t(0));
  const auto first = Out(route.Get(), &IKeltoRoute::get_Item, _variant_t(0));
  _variant_t value;
  ASSERT_EQ(first->get_Value(&value), S_OK);
  ASSERT_EQ(value.vt, VT_DISPATCH);
  EXPECT_EQ(Id(value.pdispVal), Id(FindComponent(file.Get(), "D401-FL1")));
}

TEST_F(Identity, ReloadKeepsWhatRemainsAndAFailedLoadKeepsEverything) {
  WriteText(path, Plant({"A", "B", "C"}));
  file = OpenFile(path);
  const ComPtr<IKeltoPipeline> pipeline = FirstPipeline(file.Get());
  const ComPtr<IKeltoComponent> a = FindComponent(file.Get(), "A");
  const ComPtr<IKeltoComponent> b = FindComponent(file.Get(), "B");
  const auto aDetails = Out(a.Get(), &IKeltoComponent::get_Details);
  const auto aPoints = Out(a.Get(), &IKeltoComponent::get_Points);
  const ComPtr<IKeltoPoint> oldPoint = PointOf(a.Get(), "Run_1");
  const std::size_t facesBefore = file->CachedFaces();

  // B goes, D arrives, A and C stay but change type.
  WriteText(path, Plant({"C", "A", "D"}, "Flange"));
  ASSERT_EQ(file->Load(_bstr_t(path)), S_OK);
  // B's face and the old point leave the cache (the test still holds them).
  EXPECT_EQ(file->CachedFaces(), facesBefore - 2);

  EXPECT_EQ(Id(FirstPipeline(file.Get())), Id(pipeline));
  EXPECT_EQ(Id(FindComponent(file.Get(), "A")), Id(a));
  EXPECT_EQ(Id(Out(a.Get(), &IKeltoComponent::get_Details)), Id(aDetails));
  EXPECT_EQ(Str(aDetails.Get(), &IKeltoItem::get_TypeName), "Flange");
  // The kept collection lists the new contents.
  EXPECT_NE(Id(Out(aPoints.Get(), &IKeltoPoints::get_Item, _variant_t("Run_1"))), Id(oldPoint));

  // Faces of what went fail with a message and touch nothing freed.
  const auto expectGone = [](HRESULT hr, const std::string& what) {
    EXPECT_EQ(hr, E_FAIL) << what;
    EXPECT_EQ(TakeErrorText(), "The " + what +
                                   " is no longer part of the file: it went when the file was "
                                   "loaded again.");
  };
  _bstr_t text;
  expectGone(b->get_Id(text.GetAddress()), "component");
  double bore = 0;
  expectGone(oldPoint->get_Bore(&bore), "point");

  // A failed load retires nothing and keeps the path.
  const ComPtr<IKeltoPoint> point = PointOf(a.Get(), "Run_2");
  WriteText(path, R"({"format": "kelto-piping", "version": 2, "pipelines": []})");
  EXPECT_EQ(file->Load(_bstr_t(path)), E_FAIL);
  EXPECT_EQ(TakeErrorText(),
            path + ": /version: unsupported version 2 (this library reads version 1)");
  EXPECT_EQ(Str(file.Get(), &IKeltoFile::get_Path), path);
  EXPECT_EQ(Id(FindComponent(file.Get(), "A")), Id(a));
  EXPECT_EQ(OwnerIdOf(point.Get()), "A");
}

// A path with a NUL would name another file than the caller meant.
TEST_F(Identity, LoadRejectsAPathWithANul) {
  file = NewFile();
  EXPECT_EQ(file->Load(_bstr_t(std::u16string_view(u"plant.json\0.evil", 16))), E_INVALIDARG);
  EXPECT_EQ(TakeErrorText(), "The path of a piping file cannot contain a null character.");
  // Never loaded: empty but usable.
  EXPECT_EQ(Str(file.Get(), &IKeltoFile::get_Path), "");
  const auto pipelines = Out(file.Get(), &IKeltoFile::get_Pipelines);
  ASSERT_TRUE(pipelines);
  LONG count = -1;
  EXPECT_EQ(pipelines->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
}

// A face retired by a reload and still held goes with its last reference,
// after the file object has gone (LSan would report it otherwise).
TEST_F(Identity, RetiredFaceOutlivesTheFile) {
  WriteText(path, Plant({"A"}));
  file = OpenFile(path);
  ComPtr<IKeltoPoint> old = PointOf(FindComponent(file.Get(), "A").Get(), "Run_1");
  ASSERT_EQ(file->Load(_bstr_t(path)), S_OK);
  file = nullptr;
  _bstr_t name;
  EXPECT_EQ(old->get_Name(name.GetAddress()), E_FAIL);
  TakeErrorText();
}

}  // namespace
}  // namespace faces_test
