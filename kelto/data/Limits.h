// The sizes beyond which a piping file is refused as absurd rather than loaded.
// They are far above any real plant and keep a damaged or hostile file from
// exhausting memory or producing values that no consumer can draw.
#pragma once

#include <cstddef>

namespace kelto::data::limits {

inline constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;  // 1 GiB of text
inline constexpr std::size_t kMaxNameBytes = 256;  // ids, type/group names, point names, end types
inline constexpr std::size_t kMaxValueBytes = 65536;  // attribute values, descriptions
inline constexpr std::size_t kMaxPipelines = 1000000;
inline constexpr std::size_t kMaxComponents = 10000000;  // in the whole file
inline constexpr std::size_t kMaxPoints = 64;            // per component
inline constexpr std::size_t kMaxLegs = 64;              // per component
inline constexpr std::size_t kMaxAttributes = 1024;      // per component or pipeline
inline constexpr std::size_t kMaxAttachments = 64;       // per component
inline constexpr double kMaxCoordinate = 1e9;  // |x|, |y|, |z| and leg lengths, model units
inline constexpr std::size_t kMaxNesting = 64;  // arrays and objects inside each other
inline constexpr double kMaxBore = 100000.0;   // in the point's own bore units

}  // namespace kelto::data::limits
