// A loaded piping file: pipelines, components and their records, plus what the
// library computes from them (connections, leg directions and lengths, routes).
//
// A File object is an identity: it never moves, and loading again into the
// same object keeps the Pipeline and Component objects whose ids are unchanged
// (same addresses), so a model tree built from the file can reuse their nodes.
// A failed load throws LoadError and leaves the object exactly as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kelto/data/Component.h"
#include "kelto/data/LoadError.h"
#include "kelto/data/Pipeline.h"
#include "kelto/data/Records.h"

namespace kelto::data {

class Catalogue;
struct FileContents;
struct PlantDraft;

struct LoadOptions {
  // A PCF block or a file of a plant that cannot be read is skipped with a
  // warning (see File::Warnings) instead of failing the load.
  bool keepGoing = false;
  // Files of a plant read at the same time; 0 means one per processor.
  unsigned threads = 0;
};

class File {
 public:
  File();
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads and validates the file at `path`; on success replaces the contents.
  // The path is kept as given and names the file in every error message.
  // JSON or PCF, told apart by the text; a folder loads as LoadPlant({path}).
  void Load(const std::filesystem::path& path);
  // The same from text already in memory; `displayName` stands for the file
  // name in messages and becomes Path().
  void LoadText(std::string_view text, const std::string& displayName);
  // Several piping files, and the .pcf and .json files of folders, as one
  // plant, read in parallel (PlantLoader.cpp). Pipelines of the same id are
  // joined; a component id met again is renamed, with a warning. Path() is
  // the first path; Reload reads them all again.
  void LoadPlant(std::span<const std::filesystem::path> paths);
  // Load(Path()) again; std::logic_error before any successful load.
  void Reload();

  void SetLoadOptions(const LoadOptions& options) { options_ = options; }
  const LoadOptions& GetLoadOptions() const { return options_; }
  // What the last successful load worked around (unknown component types,
  // skipped blocks and files), each naming the file and line.
  std::span<const std::string> Warnings() const;

  // The catalogue that supplies group, item code, symbol key and shape code
  // for components whose file entry leaves them out. Defaults to
  // Catalogue::Default(); must outlive the loads that use it.
  void SetCatalogue(const Catalogue& catalogue) { catalogue_ = &catalogue; }

  bool IsLoaded() const;
  const std::string& Path() const;
  std::string_view Description() const;
  // Incremented by every successful load: holders of cached Point/Leg records
  // or of pointers to components that may have gone re-validate when it moves.
  std::uint64_t Generation() const { return generation_; }

  std::span<Pipeline* const> Pipelines() const;
  // Every component of every pipeline, in file order.
  std::span<Component* const> Components() const;
  Pipeline* FindPipeline(std::string_view id) const;
  Component* FindComponent(std::string_view id) const;

  std::span<const Point> AllPoints() const;
  std::span<const Leg> AllLegs() const;
  // The attributes of every component and pipeline.
  std::span<const Attribute> AllAttributes() const;
  std::uint32_t IndexOf(const Point& point) const;
  Component& OwnerOf(const Point& point) const;
  // The coincident end of a neighbouring component; null at an open end and
  // for internal points.
  const Point* ConnectedPoint(const Point& point) const;
  const Point& FromPoint(const Leg& leg) const;
  const Point& ToPoint(const Leg& leg) const;
  std::string_view Text(StringId id) const;
  std::optional<StringId> FindText(std::string_view text) const;

  // Approximate heap bytes held by the loaded model.
  std::size_t MemoryUsed() const;

 private:
  friend class Loader;
  friend class Component;
  friend class Pipeline;

  void Adopt(std::unique_ptr<FileContents> fresh);

  std::unique_ptr<FileContents> contents_;
  LoadOptions options_;
  const Catalogue* catalogue_;
  std::uint64_t generation_ = 0;
};

}  // namespace kelto::data
