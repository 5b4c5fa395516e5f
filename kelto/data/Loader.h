// Reading a piping file into fresh FileContents (private to the library).
//
// The text is read with a streaming (SAX) parser and checked member by member
// as it arrives, so the loader never holds a document tree: peak memory is the
// text plus the model. After the text: attachments are resolved, leg
// directions and lengths filled in, and coincident ends connected.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kelto::data {

class Catalogue;
class File;
struct FileContents;
struct PlantDraft;

class Loader {
 public:
  // Fills `out` (empty, with `out.path` set to the name used in messages).
  // Throws LoadError; `out` is then garbage and must be dropped.
  static void Load(FileContents& out, File& owner, std::string_view text,
                   const Catalogue& catalogue);

  // The same from drafts of one or more source files (DraftContents.cpp):
  // pipelines of the same id are joined, a component id met again is renamed
  // with a warning. Throws LoadError for what no reader should produce.
  static void LoadDrafts(FileContents& out, File& owner, std::vector<PlantDraft>& drafts,
                         const Catalogue& catalogue);

  // Leg directions and lengths from point positions where the file left them
  // out (Loader.cpp).
  static void CompleteLegs(FileContents& contents);
  // ConnectedPoint of every end (Connectivity.cpp). Returns the work done
  // (comparisons and search steps), O(n log n) in the number of ends.
  static std::size_t ConnectPoints(FileContents& contents);

 private:
  class Handler;
};

}  // namespace kelto::data
