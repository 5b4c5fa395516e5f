// Synthetic plants of any size, for tests, benchmarks and demonstrations.
//
// Generate(N, seed) returns the text of a piping file with exactly N
// components. The same (N, seed) gives the same bytes on every platform: the
// layout is computed in integers (tenths of a millimetre) and every number is
// formatted by the generator itself.
//
// Plants are rows of process lines running east. Each line is a sequence of
// pipes and features: elbows of every angle (excursions and offsets), return
// and teed bends, tees and crosses with branches (closed stubs, or new lines
// that start at the branch), concentric and eccentric reducers, teed reducers,
// flanged joints with gaskets, every valve type of the catalogue (two-way,
// angle and multi-port bodies, with SPINDLE-DIRECTION), in-line instruments
// and specialties (item code 5), welds (some of zero length), and supports
// standing on pipes (SUPPORT-DIRECTION, attachments). Lines are in millimetre
// or inch bores; end types are FL, BW, SW or SC by size. The first features of
// a plant go through every catalogue type in turn, so a plant of about 1500
// components already holds all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelto::data {

struct GeneratedPlant {
  std::string text;
  std::size_t components = 0;
  std::size_t pipelines = 0;
  // Pairs of ends the generator placed together; a correct loader connects
  // exactly these.
  std::size_t joints = 0;
};

GeneratedPlant GeneratePlant(std::size_t components, std::uint64_t seed);
inline std::string Generate(std::size_t components, std::uint64_t seed) {
  return GeneratePlant(components, seed).text;
}

}  // namespace kelto::data
