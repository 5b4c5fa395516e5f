// Text dumps of a solid model that a person (or a golden file) can read.
//
// The model tree's own dump (CModelNode::Dump) names each node by its
// object's address and lists children in address order, so two runs on the
// same file never print the same text. This dump has the same layout but
// names each node by what it stands for and lists children in the order of
// the piping data:
//
//   file examples/drain-spool.json
//     pipeline 2IN-D-401-A1
//       component D401-P1 Pipe
//         Cone : (64, 0, 2000) to (1200, 0, 2000)
//         BoundBox : (...) - (...) Radius = ...
//         Minimum Contained BoundBox radius : ...
//       ...
//
// With detail, primitive lines give every field (DescribePrimitive).
#pragma once

#include <iosfwd>
#include <string>

#include "core/ModelNode.h"

namespace kelto::solid {

struct DumpOptions {
  // Every field of every primitive, not just the model tree's short form.
  bool detail = false;
};

// "file <path>", "pipeline <name>", "component <id> <type>", or "object"
// for anything else. Never throws.
std::string NodeLabel(IUnknown* object);

void WriteModelDump(std::ostream& out, const CModelNode& node, const DumpOptions& options,
                    int indent = 0);

}  // namespace kelto::solid
