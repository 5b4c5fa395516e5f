// Turning drafts (PCF files, several files loaded as one plant) into the
// contents of a File, by the rules the JSON loader follows.
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "kelto/data/Catalogue.h"
#include "kelto/data/File.h"
#include "kelto/data/FileContents.h"
#include "kelto/data/Limits.h"
#include "kelto/data/Loader.h"
#include "kelto/data/PlantDraft.h"

namespace kelto::data {

namespace {

struct Part {
  std::size_t draft;  // which source the component came from
  const DraftComponent* component;
};

struct MergedPipeline {
  const DraftPipeline* first;
  std::string description;
  DraftAttributes attributes;
  std::vector<Part> parts;
};

void AddMissing(DraftAttributes& to, const DraftAttributes& from) {
  for (const auto& attribute : from) {
    bool present = false;
    for (const auto& have : to) present = present || have.first == attribute.first;
    if (!present) to.push_back(attribute);
  }
}

template <typename T>
std::uint16_t Count16(const std::vector<T>& v, std::size_t limit, const std::string& where,
                      const char* what) {
  if (v.size() > limit)
    throw LoadError(where, "", std::string("too many ") + what + " (the limit is " +
                                   std::to_string(limit) + ")");
  return static_cast<std::uint16_t>(v.size());
}

}  // namespace

void Loader::LoadDrafts(FileContents& out, File& owner, std::vector<PlantDraft>& drafts,
                        const Catalogue& catalogue) {
  // Pipelines of the same id, in whichever files, become one pipeline.
  std::vector<MergedPipeline> merged;
  std::unordered_map<std::string, std::size_t> pipelineIndex;
  for (std::size_t d = 0; d < drafts.size(); ++d) {
    PlantDraft& draft = drafts[d];
    if (out.description == 0 && !draft.description.empty())
      out.description = out.strings.Intern(draft.description);
    out.warnings.insert(out.warnings.end(), draft.warnings.begin(), draft.warnings.end());
    for (const DraftPipeline& p : draft.pipelines) {
      const auto [it, fresh] = pipelineIndex.emplace(p.id, merged.size());
      if (fresh) merged.push_back({&p, p.description, p.attributes, {}});
      MergedPipeline& m = merged[it->second];
      if (m.description.empty()) m.description = p.description;
      AddMissing(m.attributes, p.attributes);
      for (const DraftComponent& c : p.components) m.parts.push_back({d, &c});
    }
  }
  if (merged.size() > limits::kMaxPipelines)
    throw LoadError(out.path, "", "too many pipelines (the limit is " +
                                      std::to_string(limits::kMaxPipelines) + ")");

  // Per source, the id each of its component ids finally got, so that its
  // attachments follow a renamed component.
  std::vector<std::unordered_map<std::string, std::uint32_t>> idsOfDraft(drafts.size());
  std::unordered_map<std::string, std::uint32_t> taken;
  std::vector<std::pair<std::uint32_t, const Part*>> pendingAttachments;

  for (const MergedPipeline& m : merged) {
    auto p = std::make_unique<Pipeline>();
    p->file_ = &owner;
    p->index_ = static_cast<std::uint32_t>(out.pipelines.size());
    p->id_ = out.strings.Intern(m.first->id);
    p->description_ = out.strings.Intern(m.description);
    p->firstComponent_ = static_cast<std::uint32_t>(out.components.size());
    const std::string pipelineWhere = Where(drafts.front().path, m.first->line);
    if (m.attributes.size() > limits::kMaxAttributes)
      throw LoadError(pipelineWhere, "", "too many pipeline attributes");
    for (const Part& part : m.parts) {
      if (out.components.size() >= limits::kMaxComponents)
        throw LoadError(out.path, "", "too many components (the limit is " +
                                          std::to_string(limits::kMaxComponents) + ")");
      const DraftComponent& dc = *part.component;
      const std::string where = Where(drafts[part.draft].path, dc.line);
      const auto index = static_cast<std::uint32_t>(out.components.size());
      auto c = std::make_unique<Component>();
      Component& cc = *c;
      std::string id = dc.id;
      for (int n = 2; taken.count(id); ++n) id = dc.id + '~' + std::to_string(n);
      if (id != dc.id)
        out.warnings.push_back(where + ": component id \"" + dc.id +
                               "\" is used already; this one is \"" + id + "\"");
      taken.emplace(id, index);
      idsOfDraft[part.draft].emplace(dc.id, index);
      cc.pipeline_ = p.get();
      cc.index_ = index;
      cc.indexInPipeline_ = index - p->firstComponent_;
      cc.id_ = out.strings.Intern(id);
      cc.type_ = out.strings.Intern(dc.type);
      const CatalogueType* known = catalogue.FindType(dc.type);
      cc.group_ = out.strings.Intern(dc.group ? *dc.group : known ? known->group : "Miscellaneous");
      cc.itemCode_ = dc.itemCode ? *dc.itemCode : known ? known->itemCode : 0;
      cc.symbolKey_ = out.strings.Intern(dc.symbolKey   ? *dc.symbolKey
                                         : known ? known->symbolKey
                                                 : "");
      cc.shapeCode_ = out.strings.Intern(dc.shapeCode   ? *dc.shapeCode
                                         : known ? known->shapeCode
                                                 : "");
      cc.firstPoint_ = static_cast<std::uint32_t>(out.points.size());
      cc.pointCount_ = Count16(dc.points, limits::kMaxPoints, where, "points");
      for (const DraftPoint& dp : dc.points) {
        Point point;
        point.position = dp.position;
        point.bore = dp.bore;
        point.boreUnits = dp.boreUnits;
        point.name = out.strings.Intern(dp.name);
        point.endType = out.strings.Intern(dp.endType);
        point.component = index;
        point.internal = dp.internal;
        out.points.push_back(point);
      }
      cc.firstLeg_ = static_cast<std::uint32_t>(out.legs.size());
      cc.legCount_ = Count16(dc.legs, limits::kMaxLegs, where, "legs");
      for (const DraftLeg& dl : dc.legs) {
        if (dl.from >= dc.points.size() || dl.to >= dc.points.size() || dl.from == dl.to)
          throw LoadError(where, "", "a leg must join two different points of its component");
        Leg leg;
        leg.from = cc.firstPoint_ + dl.from;
        leg.to = cc.firstPoint_ + dl.to;
        if (dl.direction) {
          leg.direction = *dl.direction;
          leg.directionGiven = leg.hasDirection = true;
        }
        out.legs.push_back(leg);
      }
      cc.firstAttribute_ = static_cast<std::uint32_t>(out.attributes.size());
      cc.attributeCount_ = Count16(dc.attributes, limits::kMaxAttributes, where, "attributes");
      for (const auto& [name, value] : dc.attributes)
        out.attributes.push_back({out.strings.Intern(name), out.strings.Intern(value)});
      cc.firstAttachment_ = static_cast<std::uint32_t>(out.attachments.size());
      if (!dc.attachments.empty()) pendingAttachments.emplace_back(index, &part);
      out.components.push_back(&cc);
      out.componentStore.push_back(std::move(c));
    }
    p->componentCount_ = static_cast<std::uint32_t>(out.components.size()) - p->firstComponent_;
    p->firstAttribute_ = static_cast<std::uint32_t>(out.attributes.size());
    p->attributeCount_ = static_cast<std::uint16_t>(m.attributes.size());
    for (const auto& [name, value] : m.attributes)
      out.attributes.push_back({out.strings.Intern(name), out.strings.Intern(value)});
    out.pipelines.push_back(p.get());
    out.pipelineStore.push_back(std::move(p));
  }

  // Attachments name components of their own source; ones that name nothing
  // are dropped with a warning rather than failing the whole plant.
  for (const auto& [index, part] : pendingAttachments) {
    Component& c = *out.components[index];
    c.firstAttachment_ = static_cast<std::uint32_t>(out.attachments.size());
    const auto& ids = idsOfDraft[part->draft];
    for (const std::string& target : part->component->attachments) {
      const auto found = ids.find(target);
      if (found == ids.end() || found->second == index) {
        out.warnings.push_back(Where(drafts[part->draft].path, part->component->line) +
                               ": the support stands on no component \"" + target + "\"");
        continue;
      }
      if (out.attachments.size() - c.firstAttachment_ >= limits::kMaxAttachments) break;
      out.attachments.push_back(found->second);
    }
    c.attachmentCount_ = static_cast<std::uint16_t>(out.attachments.size() - c.firstAttachment_);
  }

  out.componentByString.assign(out.strings.Size(), 0);
  out.pipelineByString.assign(out.strings.Size(), 0);
  for (const Component* c : out.components) out.componentByString[c->id_] = c->index_ + 1;
  for (const Pipeline* p : out.pipelines) out.pipelineByString[p->id_] = p->index_ + 1;
  CompleteLegs(out);
  ConnectPoints(out);
}

}  // namespace kelto::data
