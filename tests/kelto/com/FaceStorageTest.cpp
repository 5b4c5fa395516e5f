// Faces kept in the file's pool and found by their record's index: over a
// whole generated plant every point, leg and attribute has one face of its
// own, asked again gives the same one, and the file's end leaves nothing
// alive. Reloads retiring held faces: IdentityTest.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "FaceFixtures.h"
#include "kelto/com/ModuleLock.h"
#include "kelto/data/Generator.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

IUnknown* Id(IUnknown* face) { return kelto::com::Identity(face).Get(); }

// The identities of every record face of the file, by walking the
// collections by index (each asked twice: the second must be the first).
std::vector<IUnknown*> RecordFaces(IKeltoFile* file) {
  std::vector<IUnknown*> ids;
  ForEachComponent(file, [&](ComPtr<IKeltoComponent> component) {
    const auto each = [&](auto collection, auto getter) {
      LONG n = 0;
      collection->get_Count(&n);
      for (int i = 0; i < n; ++i) {
        IUnknown* const first = Id(Out(collection.Get(), getter, _variant_t(i)).Get());
        EXPECT_EQ(Id(Out(collection.Get(), getter, _variant_t(i)).Get()), first);
        ids.push_back(first);
      }
    };
    each(Out(component.Get(), &IKeltoComponent::get_Points), &IKeltoPoints::get_Item);
    each(Out(component.Get(), &IKeltoComponent::get_Legs), &IKeltoLegs::get_Item);
    each(Out(component.Get(), &IKeltoComponent::get_Attributes), &IKeltoAttributes::get_Item);
    return false;
  });
  return ids;
}

TEST(FaceStorage, EveryRecordHasOneFaceAndTheFileEndsClean) {
  kelto::test::TempDir dir;
  const std::string path = (dir.path() / "plant.json").string();
  WriteText(path, kelto::data::Generate(300, 7));
  const long baseline = kelto::faces::ModuleLock::Count();
  {
    ComPtr<CKeltoFile> file = OpenFile(path);
    const std::vector<IUnknown*> first = RecordFaces(file.Get());
    ASSERT_GT(first.size(), 900u);
    EXPECT_EQ(std::set<IUnknown*>(first.begin(), first.end()).size(), first.size());
    EXPECT_EQ(RecordFaces(file.Get()), first);

    const auto points = Out(
        Out(Out(Out(Out(file.Get(), &IKeltoFile::get_Pipelines).Get(), &IKeltoPipelines::get_Item,
                    _variant_t(0)).Get(),
                &IKeltoPipeline::get_Components).Get(),
            &IKeltoComponents::get_Item, _variant_t(0)).Get(),
        &IKeltoComponent::get_Points);
    const std::string name = NameOf(Out(points.Get(), &IKeltoPoints::get_Item, _variant_t(0)).Get());
    // The last references go in the order a script may drop them: the file
    // first, then a face, which still holds the file.
    file = nullptr;
    EXPECT_GT(kelto::faces::ModuleLock::Count(), baseline);
    EXPECT_EQ(NameOf(Out(points.Get(), &IKeltoPoints::get_Item, _variant_t(0)).Get()), name);
  }
  EXPECT_EQ(kelto::faces::ModuleLock::Count(), baseline);
}

}  // namespace
}  // namespace faces_test
