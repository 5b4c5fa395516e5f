// The shape of a piping file as the loader checks it: the containers, their
// members and what each member accepts (private to the library).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelto::data::schema {

inline constexpr std::string_view kFormat = "kelto-piping";
inline constexpr std::int64_t kVersion = 1;

// The containers of the format; each frame of the parse stack is one of them.
enum class Ctx : std::uint8_t {
  kRoot,
  kPipelines,
  kPipeline,
  kPipelineAttributes,
  kComponents,
  kComponent,
  kPoints,
  kPoint,
  kVector,
  kLegs,
  kLeg,
  kAttributes,
  kAttachments
};

// Members of the objects, one bit each in a frame's "seen" mask.
enum Member : std::uint8_t {
  kFormatM,
  kVersionM,
  kDescriptionM,
  kPipelinesM,
  kIdM,
  kAttributesM,
  kComponentsM,
  kTypeM,
  kGroupM,
  kItemCodeM,
  kSymbolKeyM,
  kShapeCodeM,
  kPointsM,
  kLegsM,
  kAttachmentsM,
  kPositionM,
  kBoreM,
  kBoreUnitsM,
  kEndTypeM,
  kInternalM,
  kFromM,
  kToM,
  kDirectionM,
  kLengthM,
  kNoMember
};

// What a value slot accepts.
enum class Want : std::uint8_t { kString, kInteger, kNumber, kBool, kObject, kArray, kNone };

struct MemberSpec {
  std::string_view name;
  Member member;
  Want want;
  Ctx child;  // for objects and arrays
};

inline constexpr MemberSpec kRootMembers[] = {
    {"format", kFormatM, Want::kString, Ctx::kRoot},
    {"version", kVersionM, Want::kInteger, Ctx::kRoot},
    {"description", kDescriptionM, Want::kString, Ctx::kRoot},
    {"pipelines", kPipelinesM, Want::kArray, Ctx::kPipelines},
};
inline constexpr MemberSpec kPipelineMembers[] = {
    {"id", kIdM, Want::kString, Ctx::kRoot},
    {"description", kDescriptionM, Want::kString, Ctx::kRoot},
    {"attributes", kAttributesM, Want::kObject, Ctx::kPipelineAttributes},
    {"components", kComponentsM, Want::kArray, Ctx::kComponents},
};
inline constexpr MemberSpec kComponentMembers[] = {
    {"id", kIdM, Want::kString, Ctx::kRoot},
    {"type", kTypeM, Want::kString, Ctx::kRoot},
    {"group", kGroupM, Want::kString, Ctx::kRoot},
    {"itemCode", kItemCodeM, Want::kInteger, Ctx::kRoot},
    {"symbolKey", kSymbolKeyM, Want::kString, Ctx::kRoot},
    {"shapeCode", kShapeCodeM, Want::kString, Ctx::kRoot},
    {"points", kPointsM, Want::kObject, Ctx::kPoints},
    {"legs", kLegsM, Want::kArray, Ctx::kLegs},
    {"attributes", kAttributesM, Want::kObject, Ctx::kAttributes},
    {"attachments", kAttachmentsM, Want::kArray, Ctx::kAttachments},
};
inline constexpr MemberSpec kPointMembers[] = {
    {"position", kPositionM, Want::kArray, Ctx::kVector},
    {"bore", kBoreM, Want::kNumber, Ctx::kRoot},
    {"boreUnits", kBoreUnitsM, Want::kInteger, Ctx::kRoot},
    {"endType", kEndTypeM, Want::kString, Ctx::kRoot},
    {"internal", kInternalM, Want::kBool, Ctx::kRoot},
};
inline constexpr MemberSpec kLegMembers[] = {
    {"from", kFromM, Want::kString, Ctx::kRoot},
    {"to", kToM, Want::kString, Ctx::kRoot},
    {"direction", kDirectionM, Want::kArray, Ctx::kVector},
    {"length", kLengthM, Want::kNumber, Ctx::kRoot},
};

inline std::span<const MemberSpec> MembersOf(Ctx ctx) {
  switch (ctx) {
    case Ctx::kRoot:
      return kRootMembers;
    case Ctx::kPipeline:
      return kPipelineMembers;
    case Ctx::kComponent:
      return kComponentMembers;
    case Ctx::kPoint:
      return kPointMembers;
    case Ctx::kLeg:
      return kLegMembers;
    default:
      return {};
  }
}

inline const char* NameOf(Ctx ctx) {
  switch (ctx) {
    case Ctx::kRoot:
      return "the file";
    case Ctx::kPipeline:
      return "a pipeline";
    case Ctx::kComponent:
      return "a component";
    case Ctx::kPoint:
      return "a point";
    case Ctx::kLeg:
      return "a leg";
    default:
      return "this object";
  }
}

inline const char* Describe(Want want) {
  switch (want) {
    case Want::kString:
      return "a string";
    case Want::kInteger:
      return "an integer";
    case Want::kNumber:
      return "a number";
    case Want::kBool:
      return "true or false";
    case Want::kObject:
      return "an object";
    case Want::kArray:
      return "an array";
    case Want::kNone:
      return "nothing";
  }
  return "";
}

inline std::string Number(double v) {
  // Whole numbers in plain digits ("2000000000", not "2e+09"); others in the
  // shortest form that reads back the same.
  if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
    return std::to_string(static_cast<long long>(v));
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

inline std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text.substr(0, 64)) out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
  if (text.size() > 64) out += "...";
  return out + "\"";
}

inline void AppendPointerSegment(std::string& path, std::string_view key) {
  path += '/';
  for (char c : key) {
    if (c == '~')
      path += "~0";
    else if (c == '/')
      path += "~1";
    else
      path += c;
  }
}

}  // namespace kelto::data::schema
