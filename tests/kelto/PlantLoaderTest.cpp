#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PlantText.h"
#include "kelto/data/File.h"
#include "kelto/data/Generator.h"
#include "kelto/data/JsonWriter.h"
#include "kelto/data/PcfWriter.h"
#include "support/TempDir.h"

using kelto::data::File;
using kelto::data::LoadError;
using kelto::test::WriteText;

namespace {

std::string Pipe(const char* line, const char* id, double x0, double x1) {
  return std::string("PIPELINE-REFERENCE ") + line + "\nPIPE\n    END-POINT " +
         std::to_string(x0) + " 0 0 100\n    END-POINT " + std::to_string(x1) +
         " 0 0 100\n    UNIQUE-COMPONENT-IDENTIFIER " + id + "\n";
}

// A folder of area files: line L crosses both areas, M lives in one, and the
// JSON file brings a third line.
struct Areas {
  kelto::test::TempDir dir;
  Areas() {
    WriteText(dir.path() / "area-1.pcf", Pipe("L", "P1", 0, 1000) + Pipe("M", "P9", 0, -500));
    WriteText(dir.path() / "area-2.PCF", Pipe("L", "P2", 1000, 2000) + Pipe("L", "P1", 2000, 3000));
    WriteText(dir.path() / "z.json", kelto::test::ReadExample("drain-spool.json"));
    WriteText(dir.path() / "notes.txt", "not piping");
  }
};

std::vector<std::string> Ids(const File& file) {
  std::vector<std::string> ids;
  for (const auto* c : file.Components()) ids.emplace_back(c->Id());
  return ids;
}

}  // namespace

TEST(PlantLoader, FolderLoadsAsOnePlantJoiningPipelinesById) {
  Areas areas;
  File file;
  file.Load(areas.dir.path());
  ASSERT_EQ(file.Pipelines().size(), 3u);
  EXPECT_EQ(file.Pipelines()[0]->Id(), "L");
  EXPECT_EQ(file.Pipelines()[0]->Components().size(), 3u);
  EXPECT_EQ(file.Pipelines()[2]->Id(), "2IN-D-401-A1");
  // The id met again is renamed, and the message names where.
  EXPECT_EQ(Ids(file), (std::vector<std::string>{"P1", "P2", "P1~2", "P9", "D401-FL1", "D401-W1",
                                                 "D401-P1", "D401-S1", "D401-E1", "D401-P2",
                                                 "D401-V1"}));
  ASSERT_EQ(file.Warnings().size(), 1u);
  EXPECT_NE(file.Warnings()[0].find("area-2.PCF:7: component id \"P1\" is used already"),
            std::string::npos)
      << file.Warnings()[0];
  // Ends meet across files.
  EXPECT_NE(file.ConnectedPoint(file.Components()[0]->Points()[1]), nullptr);
  // The JSON file's support still stands on its own pipe.
  EXPECT_EQ(file.FindComponent("D401-S1")->Attachment(0).Id(), "D401-P1");
}

TEST(PlantLoader, ParallelLoadGivesTheSamePlantAsOneThread) {
  kelto::test::TempDir dir;
  std::vector<std::filesystem::path> paths;
  for (int i = 0; i < 12; ++i) {
    File plant;
    plant.LoadText(kelto::data::Generate(60, static_cast<std::uint64_t>(i)), "g.json");
    paths.push_back(dir.path() / ("f" + std::to_string(i) + (i % 3 ? ".pcf" : ".json")));
    WriteText(paths.back(), i % 3 ? kelto::data::WritePcf(plant) : kelto::data::WriteJson(plant));
  }
  std::string previous;
  for (unsigned threads : {1u, 4u}) {
    File file;
    file.SetLoadOptions({false, threads});
    file.LoadPlant(paths);
    EXPECT_EQ(file.Components().size(), 12u * 60u);
    const std::string json = kelto::data::WriteJson(file);
    if (!previous.empty()) {
      EXPECT_EQ(json, previous);
    }
    previous = json;
  }
}

TEST(PlantLoader, BadFileFailsTheLoadUnlessKeepGoing) {
  Areas areas;
  WriteText(areas.dir.path() / "area-3.pcf", "PIPELINE-REFERENCE Q\nPIPE\n    END-POINT 0 0\n");
  File file;
  file.LoadText(kelto::test::ReadExample("drain-spool.json"), "before.json");
  try {
    file.Load(areas.dir.path());
    ADD_FAILURE();
  } catch (const LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("area-3.pcf:3: END-POINT: expected x y z"),
              std::string::npos)
        << e.what();
  }
  EXPECT_EQ(file.Path(), "before.json");  // nothing already loaded is lost

  file.SetLoadOptions({true, 0});
  file.Load(areas.dir.path());
  EXPECT_EQ(file.Pipelines().size(), 4u);  // Q stays, without its unreadable pipe
  bool listed = false;
  for (const std::string& w : file.Warnings())
    listed = listed || w.find("area-3.pcf:2: skipped the PIPE block") != std::string::npos;
  EXPECT_TRUE(listed);
}

// A folder entry named like a plant file that is not a regular file is
// refused by name, never opened blocking nor read without end, and never
// dropped without a word; so is such a path named directly (a folder named
// directly is a plant folder).
TEST(PlantLoader, EntryThatIsNotARegularFileIsRefusedByName) {
  for (const std::string name : {"fifo.pcf", "zero.json", "folder.PCF"}) {
    SCOPED_TRACE(name);
    kelto::test::TempDir dir;
    WriteText(dir.path() / "a.json", kelto::test::ReadExample("drain-spool.json"));
    const std::filesystem::path bad = dir.path() / name;
    std::vector<std::vector<std::filesystem::path>> loads{{dir.path()}};
    if (name == "folder.PCF") {
      std::filesystem::create_directory(bad);
    } else {
      if (name == "fifo.pcf") {
        ASSERT_EQ(::mkfifo(bad.c_str(), 0600), 0);
      } else {
        std::filesystem::create_symlink("/dev/zero", bad);
      }
      loads.push_back({dir.path() / "a.json", bad});
    }
    for (const auto& paths : loads) {
      File file;
      try {
        file.LoadPlant(paths);
        ADD_FAILURE() << "loaded";
      } catch (const LoadError& e) {
        EXPECT_EQ(std::string(e.what()),
                  bad.string() + ": cannot read the file (not a regular file)");
      }
    }
  }
}
