#include "platform/com/RegularFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"

using kelto::platform::FileReadError;
using kelto::platform::ReadRegularFile;

TEST(RegularFile, ReadsWholeFilesUpToTheLimitAndRefusesLarger) {
  kelto::test::TempDir dir;
  const std::string path = (dir.path() / "rules.xml").string();
  std::ofstream(path, std::ios::binary) << std::string("<a>\0</a>", 8);
  EXPECT_EQ(ReadRegularFile(path, "configuration", 8), std::string("<a>\0</a>", 8));
  try {
    ReadRegularFile(path, "configuration", 7);
    FAIL();
  } catch (const FileReadError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open configuration '" + path +
                                         "': it is too large (8 bytes; the limit is 7).");
  }
  EXPECT_THROW(ReadRegularFile((dir.path() / "none").string(), "configuration"), FileReadError);
}
