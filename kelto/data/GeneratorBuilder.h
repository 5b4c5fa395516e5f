// The plant generator's builder (private to the library): the site's lines
// (Generator.cpp) made of components and fittings (GeneratorFittings.cpp),
// written out as piping-file text as they are committed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelto/data/Catalogue.h"
#include "kelto/data/Generator.h"
#include "kelto/data/GeneratorSite.h"
#include "kelto/data/GeneratorTables.h"

namespace kelto::data::generator {

struct GPoint {
  std::string_view name;
  IVec pos;
  int size;
  std::string_view endType;
  bool internal = false;
};

struct GLeg {
  int from, to;
  bool withDirection = false;
  Dir dir = kEast;
};

struct GComp {
  const CatalogueType* type = nullptr;
  std::string_view key;  // symbol key when not the type's own
  std::vector<GPoint> points;
  std::vector<GLeg> legs;
  std::vector<std::pair<std::string_view, std::string>> attributes;
  std::int64_t attachTo = -1;  // position in the pipeline of the pipe a support stands on
};

// Where the line goes on: position, direction, size and the kind of joint the
// next component must offer.
struct Turtle {
  IVec pos;
  Dir dir = kEast;
  int size = 8;
  bool inch = false;
  std::string_view joint = "BW";
  bool open = false;  // an end waits at pos for the next component
  IVec origin;        // the line's band, to keep excursions balanced
  Dir home = kEast;   // the way the line runs; bends come back to it
};

struct BranchStart {
  Turtle turtle;
};

// A feature being built; committed to the line only when it fits the budget.
struct Draft {
  std::vector<GComp> comps;
  std::vector<BranchStart> spawns;
  std::size_t joints = 0;
};

inline std::string_view JointFor(int size) { return size <= 2 ? "SC" : size <= 5 ? "SW" : "BW"; }

class PlantBuilder {
 public:
  PlantBuilder(std::size_t components, std::uint64_t seed)
      : rng_(seed), catalogue_(Catalogue::Default()), remaining_(components) {
    // Every catalogue type goes into the first features of the plant.
    for (int v = 0; v < 3; ++v) schedule_.push_back({kBend, v});
    for (int v = 0; v < 8; ++v) schedule_.push_back({kOffset, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kReturn, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kTeedBend, v});
    for (int v = 0; v < 3; ++v) schedule_.push_back({kTee, v});
    schedule_.push_back({kCross, 0});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kReducer, v});
    for (int v = 0; v < 2; ++v) schedule_.push_back({kTeedReducer, v});
    for (int v = 0; v < 14; ++v) schedule_.push_back({kValve, v});
    for (int v = 0; v < 4; ++v) schedule_.push_back({kAngleValve, v});
    for (int v = 0; v < 5; ++v) schedule_.push_back({kMultiValve, v});
    for (int v = 0; v < 6; ++v) schedule_.push_back({kInline, v});
  }

  GeneratedPlant Build(std::size_t components, std::uint64_t seed);

 private:
  enum Feature {
    kBend,
    kOffset,
    kReturn,
    kTeedBend,
    kTee,
    kCross,
    kReducer,
    kTeedReducer,
    kValve,
    kAngleValve,
    kMultiValve,
    kInline,
    kFeatureCount
  };
  struct Scheduled {
    Feature feature;
    int variant;
  };

  const CatalogueType* Type(std::string_view name) const { return catalogue_.FindType(name); }
  std::size_t Available() const { return std::min(remaining_, allowance_); }

  // Mostly 2"–8", some 10"–14", a few 16"–24".
  int BoreMix();

  // ---- lines ----------------------------------------------------------------

  void BeginLine(const Turtle& t);
  void EndLine() { out_ += "\n    ]}"; }

  Turtle NewTurtle(IVec pos, Dir dir, int size);

  // The unit's own piping: lines snaking along the plot at their own band and
  // elevation, with every kind of fitting, until the unit's share is used.
  void FillUnit(const UnitPlot& unit);

  void UnitLine(const UnitPlot& unit, Turtle t, bool branch);

  // A support on the pipe just laid, sometimes, and a weld after it.
  void Trimmings(Turtle& t);

  // Lines from a nozzle of this unit along the rack to a nozzle of another
  // unit of the row: under the rack to a slot, up to its level, along the
  // rack, down again and into the other unit. A quarter of the unit's share.
  void RackLines(const UnitPlot& unit);

  // The row's utility headers on the top level of the rack, a tee for each
  // unit with a branch line dropping into it; closed by a cap at the far end.
  void Headers(int row);

  // A line through the corners in turn (the last one is where it ends),
  // square turns by long-radius elbows, fittings along the straights.
  void RouteLine(Turtle t, const std::vector<IVec>& corners, bool nozzleStart, bool nozzleEnd);

  static Int Along(const Turtle& t, const IVec& target);

  enum RunKind { kPlainRun, kRackRun, kCrossRun, kRiserRun };

  // Lays the straight from the turtle to `target` less `stop` (−1: the
  // radius of the elbow that turns there), pipes with fittings between them
  // as the run allows. False when the budget ran out first.
  bool Run(Turtle& t, const IVec& target, RunKind kind, Int stop = 0);

  bool CommitIfFits(Draft d);

  bool Commit(Draft& d);

  // ---- components -----------------------------------------------------------

  // Starts a component at the turtle; its first point joins the open end.
  GComp& Begin(Draft& d, Turtle& t, std::string_view type);

  static void Leg(GComp& c, int from, int to) { c.legs.push_back({from, to}); }

  void Pipe(Draft& d, Turtle& t, Int length);

  void Weld(Draft& d, Turtle& t);

  // A flange between the line's joint and a flanged face. faceFirst: the face
  // is Run_1 (the line starts at a flange) instead of Run_2.
  void Flange(Draft& d, Turtle& t, bool faceFirst);

  void Gasket(Draft& d, Turtle& t);

  // Turns the line from t.dir to `to` about an intersection point R from both ends.
  void Elbow(Draft& d, Turtle& t, std::string_view type, Dir to, Int radius);

  // A direction square to the line that moves it back toward its band.
  Dir Lateral(const Turtle& t, bool vertical) const;

  // A horizontal direction square to d (north for vertical lines).
  static Dir Beside(Dir d) { return d == kNorth || d == kSouth ? kEast : kNorth; }

  Dir BranchDir(const Turtle& t) { return rng_.Chance(50) ? kDown : Lateral(t, false); }

  // ---- features -------------------------------------------------------------

  void Build(Draft& d, Turtle& t, Feature f, int v);

  void Offset(Draft& d, Turtle& t, int v);

  void Return(Draft& d, Turtle& t, int v);

  void Reducer(Draft& d, Turtle& t, bool eccentric, bool teed);

  // Flange, gasket, item, gasket, flange; small screwed and socket-welded
  // lines take two-way valves straight into the line instead.
  void FlangedAssembly(Draft& d, Turtle& t, int v, Feature kind);

  void AngleValve(Draft& d, Turtle& t, int v);

  void MultiValve(Draft& d, Turtle& t, int v);

  // Gasket and blind flange on an open flanged end.
  void Blind(Draft& d, Turtle& t);

  enum class Branch { kStub, kSpawn, kCaller };
  // A tee of `kind` (plain, reducing, set-on) with its branch towards b: a
  // closed stub, a line of its own later, or the caller's to continue.
  // Returns where the branch starts.
  Turtle Tee(Draft& d, Turtle& t, int kind, Dir b, int branchSize, Branch branchTo);

  void Cap(Draft& d, Turtle& t);

  // A short branch from a fitting, closed by a cap or a blind flange, or left open.
  void Stub(Draft& d, Turtle t);

  Draft SupportOnLastPipe();

  // ---- writing --------------------------------------------------------------

  void AppendPosition(const IVec& p);

  void Write(GComp& c);

  Rng rng_;
  const Catalogue& catalogue_;
  std::size_t remaining_;
  std::size_t allowance_ = 0;  // what the unit (or row's headers) being built may still use
  SitePlan site_;
  int service_ = -1;  // the next line's service, or −1 for any
  std::string out_;
  std::string lineId_;
  bool line_inch_ = false;
  std::size_t lineCount_ = 0;
  std::int64_t lastPipe_ = -1;
  GComp lastPipeComp_;
  std::size_t pipelines_ = 0;
  std::size_t joints_ = 0;
  std::size_t tags_ = 0;
  std::size_t flangeCounter_ = 0;
  std::size_t closures_ = 0;
  std::size_t supports_ = 0;
  std::deque<Scheduled> schedule_;
  std::deque<BranchStart> spawned_;
};

}  // namespace kelto::data::generator
