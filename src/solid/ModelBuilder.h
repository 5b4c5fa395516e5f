// IFModelBuilder: what the view control and the scripting classes ask of a
// model builder (the solid one here, the symbolic one elsewhere).
#pragma once

#include <string>

#include "colour/ColourScheme.h"
#include "core/CountedPtr.h"
#include "core/ModelNode.h"
#include "options/Options.h"

struct IKeltoFile;

class IFModelBuilder {
 public:
  using NodePtr = cptr::counted_ptr<CModelNode>;
  using SchemePtr = cptr::counted_ptr<IFColourScheme>;

  // A new root whose object is the file, synchronised with this builder.
  virtual NodePtr BuildModel(IKeltoFile* file) = 0;
  // Synchronises the node of model's subtree (model included) whose object is
  // item (compared by identity); nothing when there is none.
  virtual void SyncBelow(CModelNode& model, IUnknown* item) = 0;
  // Synchronises the whole tree under model.
  virtual void SyncModel(CModelNode& model) = 0;
  // Hands the text to the external dimension configuration; errors receives
  // its messages, each followed by "\n".
  virtual void SetExternalDimensionConfig(const std::string& configXml, std::string& errors) = 0;
  virtual SchemePtr GetColourScheme() = 0;
  virtual void SetColourScheme(SchemePtr scheme) = 0;
  virtual COptions& Options() = 0;
  virtual ~IFModelBuilder() = default;
};
