#include "kelto/data/Loader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "kelto/data/Catalogue.h"
#include "kelto/data/FastJson.h"
#include "kelto/data/File.h"
#include "kelto/data/FileContents.h"
#include "kelto/data/Limits.h"
#include "kelto/data/LoaderSchema.h"

namespace kelto::data {

namespace {

using Json = nlohmann::json;
using namespace schema;

struct Frame {
  Ctx ctx;
  bool array;
  bool hasKey = false;
  std::int64_t index = -1;  // arrays: the element being read
  std::string key;          // objects: the member being read
  Member member = kNoMember;
  std::uint32_t seen = 0;  // Member bits already given
};

struct PointDraft {
  Point point;
  bool hasPosition = false;
};

struct LegDraft {
  Leg leg;
  StringId from = 0;
  StringId to = 0;
};

}  // namespace

class Loader::Handler : public nlohmann::json_sax<Json> {
 public:
  Handler(FileContents& out, File& owner, std::string_view text, const Catalogue& catalogue)
      : out_(out), owner_(owner), text_(text), catalogue_(catalogue) {}

  bool null() override { return Scalar("null"); }
  bool boolean(bool v) override {
    if (!Accept(Want::kBool, "true or false")) return true;
    if (Top().member == kInternalM) point_.point.internal = v;
    return true;
  }
  bool number_integer(number_integer_t v) override {
    return NumberValue(static_cast<double>(v), true);
  }
  bool number_unsigned(number_unsigned_t v) override {
    return NumberValue(static_cast<double>(v), true);
  }
  bool number_float(number_float_t v, const string_t&) override { return NumberValue(v, false); }
  bool string(string_t& v) override;
  bool binary(binary_t&) override { return Scalar("binary data"); }
  bool start_object(std::size_t) override;
  bool key(string_t& k) override;
  bool end_object() override;
  bool start_array(std::size_t) override;
  bool end_array() override;
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& ex) override;

  void Finish();

 private:
  Frame& Top() { return stack_.back(); }
  [[noreturn]] void Fail(std::string path, std::string problem) {
    throw LoadError(out_.path, path.empty() ? "/" : std::move(path), std::move(problem));
  }
  // Errors inside "pipelines" wait until the format and version are known, so
  // a file of another version reports its version, not a symptom of it.
  void FailOrDefer(std::string path, std::string problem);
  std::string Path(bool withTopSlot) const;

  // Moves to the next value slot of the top frame and checks the value kind;
  // false when the value is to be ignored (skipping a deferred pipeline).
  bool Accept(Want got, const char* found);
  Want Expected(const Frame& f) const;
  bool Scalar(const char* found) {
    Accept(Want::kNone, found);  // no slot takes these
    return true;
  }
  bool NumberValue(double v, bool integral);
  StringId Name(std::string_view text, std::size_t limit);

  void BeginPipeline();
  void EndPipeline();
  void EndComponent();
  void EndPoint();
  void EndLeg();
  void RequireMembers(const Frame& f, std::initializer_list<Member> members);
  void CheckNesting();

  FileContents& out_;
  File& owner_;
  std::string_view text_;
  const Catalogue& catalogue_;
  std::vector<Frame> stack_;
  bool started_ = false;
  bool formatOk_ = false;
  bool versionOk_ = false;
  std::optional<LoadError> deferred_;
  std::size_t skipDepth_ = 0;  // while non-zero, events are skipped until the stack is this deep

  // The pipeline and component being read.
  Pipeline* pipeline_ = nullptr;
  std::vector<Attribute> pipelineAttributes_;
  std::unique_ptr<Component> draft_;
  StringId pendingPointName_ = 0;
  std::vector<Point> points_;
  std::vector<LegDraft> legs_;
  std::vector<Attribute> attributes_;
  std::vector<StringId> attachments_;
  PointDraft point_;
  Vec3* vector_ = nullptr;
  int vectorCount_ = 0;
};

std::string Loader::Handler::Path(bool withTopSlot) const {
  std::string path;
  for (std::size_t i = 0; i < stack_.size(); ++i) {
    const Frame& f = stack_[i];
    if (i + 1 == stack_.size() && !withTopSlot) break;
    if (f.array) {
      if (f.index >= 0) path += '/' + std::to_string(f.index);
    } else if (f.hasKey) {
      AppendPointerSegment(path, f.key);
    }
  }
  return path;
}

void Loader::Handler::FailOrDefer(std::string path, std::string problem) {
  const bool inPipelines = stack_.size() >= 2 && stack_[1].ctx == Ctx::kPipelines;
  if (inPipelines && !(formatOk_ && versionOk_) && !deferred_) {
    deferred_.emplace(out_.path, path.empty() ? "/" : path, std::move(problem));
    skipDepth_ = 1;
    return;
  }
  Fail(std::move(path), std::move(problem));
}

Want Loader::Handler::Expected(const Frame& f) const {
  switch (f.ctx) {
    case Ctx::kPipelines:
    case Ctx::kComponents:
    case Ctx::kLegs:
    case Ctx::kPoints:
      return Want::kObject;
    case Ctx::kVector:
      return Want::kNumber;
    case Ctx::kAttachments:
    case Ctx::kAttributes:
    case Ctx::kPipelineAttributes:
      return Want::kString;
    default:
      for (const MemberSpec& m : MembersOf(f.ctx))
        if (m.member == f.member) return m.want;
      return Want::kString;
  }
}

bool Loader::Handler::Accept(Want got, const char* found) {
  if (skipDepth_) return false;
  if (stack_.empty()) {
    if (started_) return false;
    started_ = true;
    if (got != Want::kObject) Fail("/", std::string("expected an object, found ") + found);
    return true;
  }
  Frame& f = Top();
  if (f.array) {
    ++f.index;
    if (f.ctx == Ctx::kVector && f.index >= 3)
      FailOrDefer(Path(true), "expected 3 numbers [x, y, z], found more");
    if (f.ctx == Ctx::kAttachments && static_cast<std::size_t>(f.index) >= limits::kMaxAttachments)
      FailOrDefer(Path(true), "too many attachments (the limit is " +
                                  std::to_string(limits::kMaxAttachments) + ")");
    if (f.ctx == Ctx::kLegs && static_cast<std::size_t>(f.index) >= limits::kMaxLegs)
      FailOrDefer(Path(true),
                  "too many legs (the limit is " + std::to_string(limits::kMaxLegs) + ")");
  }
  if (skipDepth_) return false;
  const Want want = Expected(f);
  if (want == got || (want == Want::kNumber && got == Want::kInteger)) return true;
  if (want == Want::kInteger && got == Want::kNumber) found = "a number with a fraction";
  FailOrDefer(Path(true), std::string("expected ") + Describe(want) + ", found " + found);
  return false;
}

bool Loader::Handler::NumberValue(double v, bool integral) {
  // JSON has one kind of number: 4.2e1 is the integer 42, and 1e300 is an
  // integer too large for any member rather than a number with a fraction.
  integral = integral || (std::isfinite(v) && v == std::floor(v));
  if (!Accept(integral ? Want::kInteger : Want::kNumber, "a number")) return true;
  Frame& f = Top();
  if (f.ctx == Ctx::kVector) {
    if (!std::isfinite(v) || std::fabs(v) > limits::kMaxCoordinate)
      FailOrDefer(Path(true), "coordinate " + Number(v) + " is beyond the limit of " +
                                  Number(limits::kMaxCoordinate));
    (&vector_->x)[f.index] = v;
    ++vectorCount_;
    return true;
  }
  switch (f.member) {
    case kVersionM:
      if (v != static_cast<double>(kVersion))
        Fail(Path(true), "unsupported version " + Number(v) + " (this library reads version " +
                             std::to_string(kVersion) + ")");
      versionOk_ = true;
      break;
    case kItemCodeM:
      // A deferred error returns here too: the value is never converted
      // when it does not fit.
      if (v < -2147483648.0 || v > 2147483647.0) {
        FailOrDefer(Path(true),
                    "item code " + Number(v) + " is out of range (-2147483648 to 2147483647)");
        break;
      }
      draft_->itemCode_ = static_cast<std::int32_t>(v);
      break;
    case kBoreM:
      if (!(v >= 0.0) || v > limits::kMaxBore)
        FailOrDefer(Path(true),
                    "bore " + Number(v) + " is outside 0 to " + Number(limits::kMaxBore));
      point_.point.bore = v;
      break;
    case kBoreUnitsM:
      if (v != 1.0 && v != 2.0) {
        FailOrDefer(Path(true),
                    "bore units " + Number(v) + " is neither 1 (inch) nor 2 (millimetre)");
        break;
      }
      point_.point.boreUnits = v == 1.0 ? kBoreInch : kBoreMillimetre;
      break;
    case kLengthM:
      if (!(v >= 0.0) || v > limits::kMaxCoordinate)
        FailOrDefer(Path(true),
                    "length " + Number(v) + " is outside 0 to " + Number(limits::kMaxCoordinate));
      legs_.back().leg.length = v;
      legs_.back().leg.lengthGiven = true;
      break;
    default:
      break;
  }
  return true;
}

StringId Loader::Handler::Name(std::string_view text, std::size_t limit) {
  if (text.size() > limit)
    FailOrDefer(Path(true), "text of " + std::to_string(text.size()) +
                                " bytes is longer than the limit of " + std::to_string(limit));
  return out_.strings.Intern(text);
}

bool Loader::Handler::string(string_t& v) {
  if (!Accept(Want::kString, "a string")) return true;
  Frame& f = Top();
  switch (f.ctx) {
    case Ctx::kAttachments:
      attachments_.push_back(Name(v, limits::kMaxNameBytes));
      return true;
    case Ctx::kAttributes:
      attributes_.back().value = Name(v, limits::kMaxValueBytes);
      return true;
    case Ctx::kPipelineAttributes:
      pipelineAttributes_.back().value = Name(v, limits::kMaxValueBytes);
      return true;
    default:
      break;
  }
  const bool required = f.member == kIdM || f.member == kTypeM || f.member == kGroupM ||
                        f.member == kFromM || f.member == kToM;
  if (required && v.empty()) FailOrDefer(Path(true), "must not be empty");
  switch (f.member) {
    case kFormatM:
      if (v != kFormat) Fail(Path(true), "expected \"kelto-piping\", found " + Quoted(v));
      formatOk_ = true;
      break;
    case kDescriptionM: {
      const StringId id = Name(v, limits::kMaxValueBytes);
      (f.ctx == Ctx::kRoot ? out_.description : pipeline_->description_) = id;
      break;
    }
    case kIdM: {
      const StringId id = Name(v, limits::kMaxNameBytes);
      (f.ctx == Ctx::kPipeline ? pipeline_->id_ : draft_->id_) = id;
      break;
    }
    case kTypeM:
      draft_->type_ = Name(v, limits::kMaxNameBytes);
      break;
    case kGroupM:
      draft_->group_ = Name(v, limits::kMaxNameBytes);
      break;
    case kShapeCodeM:
      draft_->shapeCode_ = Name(v, limits::kMaxNameBytes);
      break;
    case kSymbolKeyM:
      if (v.size() != 4)
        FailOrDefer(Path(true), "a symbol key has 4 characters, found " + Quoted(v));
      draft_->symbolKey_ = Name(v, 4);
      break;
    case kEndTypeM:
      point_.point.endType = Name(v, limits::kMaxNameBytes);
      break;
    case kFromM:
      legs_.back().from = Name(v, limits::kMaxNameBytes);
      break;
    case kToM:
      legs_.back().to = Name(v, limits::kMaxNameBytes);
      break;
    default:
      break;
  }
  return true;
}

void Loader::Handler::CheckNesting() {
  // No valid file nests more than a few levels; the bound holds while a
  // deferred error skips the rest too, so both orders of the header and
  // "pipelines" stop early on a flood of brackets.
  if (stack_.size() < limits::kMaxNesting) return;
  if (deferred_) throw *deferred_;
  Fail(Path(true), "values nested deeper than " + std::to_string(limits::kMaxNesting) + " levels");
}

bool Loader::Handler::start_object(std::size_t) {
  CheckNesting();
  if (skipDepth_) {
    stack_.push_back({Ctx::kRoot, false});
    return true;
  }
  if (stack_.empty()) {
    Accept(Want::kObject, "an object");
    stack_.push_back({Ctx::kRoot, false});
    return true;
  }
  if (!Accept(Want::kObject, "an object")) {
    stack_.push_back({Ctx::kRoot, false});  // only reached while skipping
    return true;
  }
  const Frame& parent = Top();
  Ctx ctx = Ctx::kRoot;
  switch (parent.ctx) {
    case Ctx::kPipelines:
      ctx = Ctx::kPipeline;
      break;
    case Ctx::kComponents:
      ctx = Ctx::kComponent;
      break;
    case Ctx::kLegs:
      ctx = Ctx::kLeg;
      break;
    case Ctx::kPoints:
      ctx = Ctx::kPoint;
      break;
    default:
      for (const MemberSpec& m : MembersOf(parent.ctx))
        if (m.member == parent.member) ctx = m.child;
      break;
  }
  stack_.push_back({ctx, false});
  switch (ctx) {
    case Ctx::kPipeline:
      BeginPipeline();
      break;
    case Ctx::kComponent:
      if (out_.components.size() >= limits::kMaxComponents)
        FailOrDefer(Path(false), "too many components (the limit is " +
                                     std::to_string(limits::kMaxComponents) + ")");
      draft_ = std::make_unique<Component>();
      points_.clear();
      legs_.clear();
      attributes_.clear();
      attachments_.clear();
      break;
    case Ctx::kLeg:
      legs_.emplace_back();
      break;
    case Ctx::kPoint:
      point_ = PointDraft();
      point_.point.name = pendingPointName_;
      break;
    default:
      break;
  }
  return true;
}

bool Loader::Handler::key(string_t& k) {
  if (skipDepth_) return true;
  Frame& f = Top();
  f.key = k;
  f.hasKey = true;
  switch (f.ctx) {
    case Ctx::kPoints: {
      if (k.empty()) FailOrDefer(Path(true), "a point name must not be empty");
      const StringId name = Name(k, limits::kMaxNameBytes);
      if (skipDepth_) return true;
      for (const Point& p : points_)
        if (p.name == name) FailOrDefer(Path(true), "point " + Quoted(k) + " is given twice");
      if (points_.size() >= limits::kMaxPoints)
        FailOrDefer(Path(true),
                    "too many points (the limit is " + std::to_string(limits::kMaxPoints) + ")");
      pendingPointName_ = name;
      return true;
    }
    case Ctx::kAttributes:
    case Ctx::kPipelineAttributes: {
      auto& list = f.ctx == Ctx::kAttributes ? attributes_ : pipelineAttributes_;
      if (k.empty()) FailOrDefer(Path(true), "an attribute name must not be empty");
      const StringId name = Name(k, limits::kMaxNameBytes);
      if (skipDepth_) return true;
      for (const Attribute& a : list)
        if (a.name == name) FailOrDefer(Path(true), "attribute " + Quoted(k) + " is given twice");
      if (list.size() >= limits::kMaxAttributes)
        FailOrDefer(Path(true), "too many attributes (the limit is " +
                                    std::to_string(limits::kMaxAttributes) + ")");
      list.push_back({name, 0});
      return true;
    }
    default:
      break;
  }
  f.member = kNoMember;
  for (const MemberSpec& m : MembersOf(f.ctx))
    if (m.name == k) f.member = m.member;
  if (f.member == kNoMember) {
    std::string known;
    for (const MemberSpec& m : MembersOf(f.ctx))
      known += (known.empty() ? "" : ", ") + std::string(m.name);
    FailOrDefer(Path(true),
                std::string("unknown member (") + NameOf(f.ctx) + " has " + known + ")");
    return true;
  }
  if (f.seen & (1u << f.member)) FailOrDefer(Path(true), "member given twice");
  f.seen |= 1u << f.member;
  return true;
}

bool Loader::Handler::start_array(std::size_t) {
  CheckNesting();
  if (skipDepth_ || !Accept(Want::kArray, "an array")) {
    stack_.push_back({Ctx::kRoot, true});
    return true;
  }
  const Frame& parent = Top();
  Ctx ctx = Ctx::kRoot;
  for (const MemberSpec& m : MembersOf(parent.ctx))
    if (m.member == parent.member) ctx = m.child;
  if (ctx == Ctx::kVector) {
    vector_ = parent.ctx == Ctx::kPoint ? &point_.point.position : &legs_.back().leg.direction;
    vectorCount_ = 0;
  }
  stack_.push_back({ctx, true});
  return true;
}

bool Loader::Handler::end_array() {
  if (skipDepth_) {
    stack_.pop_back();
    if (stack_.size() == skipDepth_) skipDepth_ = 0;
    return true;
  }
  if (Top().ctx == Ctx::kVector && vectorCount_ != 3)
    FailOrDefer(Path(false), "expected 3 numbers [x, y, z], found " + std::to_string(vectorCount_));
  if (skipDepth_) return end_array();
  stack_.pop_back();
  if (!stack_.empty() && Top().ctx == Ctx::kLeg && Top().member == kDirectionM) {
    const Vec3& d = legs_.back().leg.direction;
    if (d.x == 0 && d.y == 0 && d.z == 0) FailOrDefer(Path(true), "a direction must not be zero");
    legs_.back().leg.directionGiven = legs_.back().leg.hasDirection = true;
  }
  if (!stack_.empty() && Top().ctx == Ctx::kPoint) point_.hasPosition = true;
  return true;
}

void Loader::Handler::RequireMembers(const Frame& f, std::initializer_list<Member> members) {
  for (Member m : members) {
    if (f.seen & (1u << m)) continue;
    for (const MemberSpec& wanted : MembersOf(f.ctx))
      if (wanted.member == m)
        FailOrDefer(Path(false), "missing member \"" + std::string(wanted.name) + "\"");
  }
}

bool Loader::Handler::end_object() {
  if (skipDepth_) {
    stack_.pop_back();
    if (stack_.size() == skipDepth_) skipDepth_ = 0;
    return true;
  }
  const Frame& f = Top();
  switch (f.ctx) {
    case Ctx::kRoot:
      RequireMembers(f, {kFormatM, kVersionM, kPipelinesM});
      break;
    case Ctx::kPipeline:
      EndPipeline();
      break;
    case Ctx::kComponent:
      EndComponent();
      break;
    case Ctx::kPoint:
      EndPoint();
      break;
    case Ctx::kLeg:
      EndLeg();
      break;
    default:
      break;
  }
  if (skipDepth_) return end_object();
  stack_.pop_back();
  return true;
}

void Loader::Handler::BeginPipeline() {
  if (out_.pipelines.size() >= limits::kMaxPipelines)
    FailOrDefer(Path(false),
                "too many pipelines (the limit is " + std::to_string(limits::kMaxPipelines) + ")");
  auto p = std::make_unique<Pipeline>();
  p->file_ = &owner_;
  p->index_ = static_cast<std::uint32_t>(out_.pipelines.size());
  p->firstComponent_ = static_cast<std::uint32_t>(out_.components.size());
  pipeline_ = p.get();
  out_.pipelines.push_back(p.get());
  out_.pipelineStore.push_back(std::move(p));
  pipelineAttributes_.clear();
}

void Loader::Handler::EndPipeline() {
  const Frame& f = Top();
  RequireMembers(f, {kIdM, kComponentsM});
  if (skipDepth_) return;
  Pipeline& p = *pipeline_;
  auto& byString = out_.pipelineByString;
  if (byString.size() <= p.id_)
    byString.resize(std::max<std::size_t>(out_.strings.Size(), byString.size() * 2), 0);
  if (const std::uint32_t first = byString[p.id_])
    FailOrDefer(Path(false) + "/id", "duplicate pipeline id " + Quoted(out_.strings.View(p.id_)) +
                                         " (first at /pipelines/" + std::to_string(first - 1) +
                                         ")");
  if (skipDepth_) return;
  byString[p.id_] = p.index_ + 1;
  p.componentCount_ = static_cast<std::uint32_t>(out_.components.size()) - p.firstComponent_;
  p.firstAttribute_ = static_cast<std::uint32_t>(out_.attributes.size());
  p.attributeCount_ = static_cast<std::uint16_t>(pipelineAttributes_.size());
  out_.attributes.insert(out_.attributes.end(), pipelineAttributes_.begin(),
                         pipelineAttributes_.end());
}

void Loader::Handler::EndPoint() {
  if (!point_.hasPosition) {
    FailOrDefer(Path(false), "missing member \"position\"");
    return;
  }
  points_.push_back(point_.point);
}

void Loader::Handler::EndLeg() { RequireMembers(Top(), {kFromM, kToM}); }

void Loader::Handler::EndComponent() {
  const Frame& f = Top();
  RequireMembers(f, {kIdM, kTypeM, kPointsM});
  if (skipDepth_) return;
  Component& d = *draft_;
  const CatalogueType* known = catalogue_.FindType(out_.strings.View(d.type_));
  if (!(f.seen & (1u << kGroupM))) {
    if (!known) {
      FailOrDefer(Path(false), "missing member \"group\" (type " +
                                   Quoted(out_.strings.View(d.type_)) +
                                   " is not in the catalogue, so the file must give it)");
      return;
    }
    d.group_ = out_.strings.Intern(known->group);
  }
  if (known) {
    if (!(f.seen & (1u << kItemCodeM))) d.itemCode_ = known->itemCode;
    if (!(f.seen & (1u << kSymbolKeyM))) d.symbolKey_ = out_.strings.Intern(known->symbolKey);
    if (!(f.seen & (1u << kShapeCodeM))) d.shapeCode_ = out_.strings.Intern(known->shapeCode);
  }

  auto& byString = out_.componentByString;
  if (byString.size() <= d.id_)
    byString.resize(std::max<std::size_t>(out_.strings.Size(), byString.size() * 2), 0);
  if (const std::uint32_t first = byString[d.id_]) {
    const Component& other = *out_.components[first - 1];
    FailOrDefer(Path(false) + "/id", "duplicate component id " + Quoted(out_.strings.View(d.id_)) +
                                         " (first at /pipelines/" +
                                         std::to_string(other.pipeline_->index_) + "/components/" +
                                         std::to_string(other.indexInPipeline_) + ")");
    return;
  }

  const auto index = static_cast<std::uint32_t>(out_.components.size());
  const auto firstPoint = static_cast<std::uint32_t>(out_.points.size());
  auto findPoint = [&](StringId name) -> std::int64_t {
    for (std::size_t i = 0; i < points_.size(); ++i)
      if (points_[i].name == name) return static_cast<std::int64_t>(i);
    return -1;
  };
  for (std::size_t i = 0; i < legs_.size(); ++i) {
    LegDraft& leg = legs_[i];
    const std::int64_t from = findPoint(leg.from);
    const std::int64_t to = findPoint(leg.to);
    const std::string legPath = Path(false) + "/legs/" + std::to_string(i);
    if (from < 0)
      FailOrDefer(legPath + "/from",
                  "no point " + Quoted(out_.strings.View(leg.from)) + " in this component");
    else if (to < 0)
      FailOrDefer(legPath + "/to",
                  "no point " + Quoted(out_.strings.View(leg.to)) + " in this component");
    else if (from == to)
      FailOrDefer(legPath + "/to", "a leg must join two different points");
    if (skipDepth_) return;
    leg.leg.from = firstPoint + static_cast<std::uint32_t>(from);
    leg.leg.to = firstPoint + static_cast<std::uint32_t>(to);
  }

  std::unique_ptr<Component> c = std::move(draft_);
  Component& cc = *c;
  cc.pipeline_ = pipeline_;
  cc.index_ = index;
  cc.indexInPipeline_ = index - pipeline_->firstComponent_;
  cc.firstPoint_ = firstPoint;
  cc.pointCount_ = static_cast<std::uint16_t>(points_.size());
  for (Point& p : points_) {
    p.component = index;
    out_.points.push_back(p);
  }
  cc.firstLeg_ = static_cast<std::uint32_t>(out_.legs.size());
  cc.legCount_ = static_cast<std::uint16_t>(legs_.size());
  for (const LegDraft& leg : legs_) out_.legs.push_back(leg.leg);
  cc.firstAttribute_ = static_cast<std::uint32_t>(out_.attributes.size());
  cc.attributeCount_ = static_cast<std::uint16_t>(attributes_.size());
  out_.attributes.insert(out_.attributes.end(), attributes_.begin(), attributes_.end());
  // Attachments hold string ids until the whole file is read (they may name
  // components further on); Finish turns them into component indices.
  cc.firstAttachment_ = static_cast<std::uint32_t>(out_.attachments.size());
  cc.attachmentCount_ = static_cast<std::uint16_t>(attachments_.size());
  out_.attachments.insert(out_.attachments.end(), attachments_.begin(), attachments_.end());
  byString[cc.id_] = index + 1;
  out_.components.push_back(&cc);
  out_.componentStore.push_back(std::move(c));
}

bool Loader::Handler::parse_error(std::size_t position, const std::string& token,
                                  const nlohmann::detail::exception& ex) {
  if (ex.id == 406) {
    // A number too large for a double: report it at the value it was meant for.
    if (!stack_.empty() && Top().array) ++Top().index;
    Fail(Path(true), "number " + token + " is out of range");
  }
  // nlohmann counts the bytes read including the offending one.
  const std::size_t offset = position == 0 ? 0 : std::min(position - 1, text_.size());
  std::size_t line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i)
    if (text_[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  std::string what = ex.what();
  const auto colon = what.find(": ", what.find("parse error"));
  if (colon != std::string::npos) what = what.substr(colon + 2);
  std::string path = Path(true);
  throw LoadError(out_.path, path.empty() ? "/" : path, what, line, offset - lineStart + 1);
}

void Loader::Handler::Finish() {
  if (deferred_) throw *deferred_;
  // Resolve attachments now that every id is known.
  for (Component* c : out_.components) {
    for (std::uint32_t k = 0; k < c->attachmentCount_; ++k) {
      std::uint32_t& slot = out_.attachments[c->firstAttachment_ + k];
      const StringId id = slot;
      const std::uint32_t target =
          id < out_.componentByString.size() ? out_.componentByString[id] : 0;
      const std::string path = "/pipelines/" + std::to_string(c->pipeline_->index_) +
                               "/components/" + std::to_string(c->indexInPipeline_) +
                               "/attachments/" + std::to_string(k);
      if (!target) Fail(path, "no component has id " + Quoted(out_.strings.View(id)));
      if (target - 1 == c->index_) Fail(path, "a component cannot be attached to itself");
      slot = target - 1;
    }
  }
}

void Loader::Load(FileContents& out, File& owner, std::string_view text,
                  const Catalogue& catalogue) {
  // Generated files spend about 250 bytes per component; reserving for that
  // spares most of the regrowth, and the arrays are trimmed afterwards.
  const auto reserve = [&text](FileContents& contents) {
    const std::size_t guess = text.size() / 250;
    contents.components.reserve(guess);
    contents.componentStore.reserve(guess);
    contents.points.reserve(guess * 3);
    contents.legs.reserve(guess * 2);
  };
  reserve(out);
  Handler handler(out, owner, text, catalogue);
  if (FastSaxParse(text, handler)) {
    handler.Finish();
  } else {
    // Text the quick reader leaves to nlohmann's parser (see FastJson.h):
    // read again from the start, which also words a syntax error's message.
    const std::string path = std::move(out.path);
    out = FileContents{};
    out.path = path;
    reserve(out);
    Handler again(out, owner, text, catalogue);
    Json::sax_parse(text.begin(), text.end(), &again, Json::input_format_t::json, true, true);
    again.Finish();
  }
  auto trim = [](auto& v) {
    if (v.capacity() > v.size() + v.size() / 4 + 64) v.shrink_to_fit();
  };
  trim(out.components);
  trim(out.componentStore);
  trim(out.points);
  trim(out.legs);
  trim(out.attributes);
  CompleteLegs(out);
  ConnectPoints(out);
}

void Loader::CompleteLegs(FileContents& contents) {
  for (Leg& leg : contents.legs) {
    const Vec3 span = contents.points[leg.to].position - contents.points[leg.from].position;
    const double length = span.Length();
    if (!leg.lengthGiven) leg.length = length;
    if (!leg.directionGiven) {
      // A zero-length leg has no direction of its own unless the file gives one.
      leg.hasDirection = length > 0.0;
      leg.direction = leg.hasDirection ? span * (1.0 / length) : Vec3{};
    }
  }
}

}  // namespace kelto::data
