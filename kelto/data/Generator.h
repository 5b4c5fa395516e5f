// Synthetic plants of any size, for tests, benchmarks and demonstrations.
//
// Generate(N, seed) returns the text of a piping file with exactly N
// components. The same (N, seed) gives the same bytes on every platform: the
// layout is computed in integers (tenths of a millimetre) and every number is
// formatted by the generator itself.
//
// The site: rows of process units on both sides of pipe racks
// (GeneratorSite.h), about 600 components a unit, the rows stacked so that
// the site is about 1.6 times as wide as deep. Each row's rack carries two
// utility headers on its top level (10"-16" and 14"-24"), each with a tee
// for every unit of the row and a branch line dropping into the unit to a
// nozzle, and lines that leave a nozzle of one unit, pass under the rack to
// a free slot, rise to one of its three levels, run along it and drop into
// another unit of the row to a nozzle there. Inside a unit, lines run in
// bands across and along the plot at their own elevations, turning back at
// the plot's edge. Bores are mostly 2"-8", some 10"-24"; small bores are
// branches, vents and drains.
//
// A line is a sequence of pipes and features: elbows of every angle
// (excursions and offsets), return and teed bends, tees and crosses with
// branches (closed stubs, or new lines that start at the branch), concentric
// and eccentric reducers, teed reducers, flanged joints with gaskets, every
// valve type of the catalogue (two-way, angle and multi-port bodies, with
// SPINDLE-DIRECTION), in-line instruments and specialties (item code 5),
// welds (some of zero length), and supports standing on pipes
// (SUPPORT-DIRECTION, attachments). Lines are in millimetre or inch bores;
// end types are FL, BW, SW or SC by size; many start or end at an equipment
// nozzle (a flange face). The first features of a plant go through every
// catalogue type in turn, so a plant of about 1500 components already holds
// all of them.
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
