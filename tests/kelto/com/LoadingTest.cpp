// IKeltoFileLoading, the file class's second interface: keep-going loads of
// PCF text and the warnings of the last load, early bound and by name.
#include <gtest/gtest.h>

#include <string>

#include "FaceFixtures.h"
#include "support/TempDir.h"

namespace faces_test {
namespace {

const char* const kPcf =
    "PIPELINE-REFERENCE L\n"
    "PIPE\n    END-POINT 0 0 0 100\n    END-POINT 1000 0 0 100\n"
    "VALVE\n    END-POINT 1000 0 0 100\n    SKEY VTFL\n"
    "Odd-Thing\n    END-POINT 1000 0 0 100\n    END-POINT 1200 0 0 100\n";

TEST(FileLoading, KeepGoingLoadsTheRestAndListsWhatWasSkipped) {
  kelto::test::TempDir dir;
  const std::string path = (dir.path() / "line.pcf").string();
  WriteText(path, kPcf);
  const ComPtr<CKeltoFile> file = NewFile();
  ComPtr<IKeltoFileLoading> loading;
  ASSERT_EQ(file->QueryInterface(IidOf<IKeltoFileLoading>(), loading.PutVoid()), S_OK);

  EXPECT_EQ(file->Load(_bstr_t(path)), E_FAIL);
  EXPECT_NE(TakeErrorText().find("line.pcf:5: VALVE: VALVE needs 2 END-POINT lines"),
            std::string::npos);

  ASSERT_EQ(loading->put_KeepGoing(VARIANT_TRUE), S_OK);
  ASSERT_EQ(file->Load(_bstr_t(path)), S_OK);
  _bstr_t warnings;
  ASSERT_EQ(loading->get_Warnings(warnings.GetAddress()), S_OK);
  EXPECT_EQ(warnings.str(),
            path + ":5: skipped the VALVE block (lines 5 to 7): line 5: VALVE: VALVE needs 2 "
                   "END-POINT lines, found 1\n" +
                path + ":8: Odd-Thing: component type not known; kept and drawn from its legs\n");

  // By name, as a script reaches it.
  auto* dispatch = static_cast<IDispatch*>(loading.Get());
  EXPECT_EQ(Text(Get(dispatch, "KeepGoing")), "-1");
}

}  // namespace
}  // namespace faces_test
