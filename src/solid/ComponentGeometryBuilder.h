// CKelto3ComponentGeometryBuilder: turns one piping component into solid
// primitives, choosing a construction function by the component's type name.
//
// Type table: type name (exact, case-sensitive) → construction function. It
// starts with the 41 built-in rows (ComponentGeometryBuilder.cpp) and is
// replaced as a whole by SetConfig. Any type the table does not map, and any
// component its function declines (degenerate geometry) or fails on, is
// drawn by "DrawLegs", which draws every component.
//
// Configuration XML (docs/solid-model.md):
//   <Component-Geometry><Component-Processing><Component-Type-Handler>
//     <Component-Type-Entry Component-Type="Gate-Valve" Construction-Function="Valve"/>
//   </Component-Type-Handler></Component-Processing></Component-Geometry>
// Only the entries of the first handler count. Loading stops at the first
// entry that lacks an attribute; entries read before it stay. Problems are
// shown in a message box titled "XML Error" (platform/window/MessageBox.h).
//
// Colour: every primitive takes the colour scheme's colour for the component,
// asked for each primitive (a host scheme sees one call per primitive).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "colour/ColourScheme.h"
#include "core/CountedPtr.h"
#include "core/GeometrySet.h"
#include "solid/ComponentInfo.h"

class CKelto3ComponentGeometryBuilder;

// What Build did with one component.
struct CBuildOutcome {
  // The function the type table names for the type; empty when the type is
  // not in the table.
  std::string requested;
  // The function whose primitives the component got ("DrawLegs" after a
  // fallback); empty when nothing could be drawn.
  std::string function;
  // Why the requested function did not draw the component; empty when it did
  // or when the type is unmapped.
  std::string reason;
  // Set by the model builder when even "DrawLegs" failed: the component then
  // has no primitives, and this says why.
  std::string error;
};

class CKelto3ComponentGeometryBuilder {
 public:
  // Draws info's component into geometry; true when drawn. Returning false
  // hands the component to "DrawLegs". A function may say why it declined
  // through builder.Decline(...).
  using ConstructionFunction = bool (*)(CKelto3ComponentGeometryBuilder& builder,
                                        CComponentInfo& info, IFGeometryCons& geometry);
  using SchemePtr = cptr::counted_ptr<IFColourScheme>;

  struct TypeEntry {
    std::string functionName;
    // Null when the name is not a construction function: kept so that it can
    // be reported, and drawn by "DrawLegs" like an unmapped type.
    ConstructionFunction function = nullptr;
  };
  using TypeTable = std::map<std::u16string, TypeEntry, std::less<>>;

  // The default type table and a new group colour scheme.
  CKelto3ComponentGeometryBuilder();
  CKelto3ComponentGeometryBuilder(const CKelto3ComponentGeometryBuilder&) = delete;
  CKelto3ComponentGeometryBuilder& operator=(const CKelto3ComponentGeometryBuilder&) = delete;
  virtual ~CKelto3ComponentGeometryBuilder() = default;

  // Draws the component. A specialised function that declines or throws
  // (a piping call failing, a point missing) leaves no primitive behind and
  // the component is drawn by "DrawLegs". What "DrawLegs" throws propagates.
  CBuildOutcome Build(CComponentInfo& info, CGeometrySet& geometry);

  // Replaces the type table from XML (see above). Empty text empties it.
  void SetConfig(std::string_view configXml);

  SchemePtr GetColourScheme() const { return m_scheme; }
  // A null scheme colours everything white (0xFFFFFF).
  void SetColourScheme(SchemePtr scheme) { m_scheme = std::move(scheme); }

  const TypeTable& GetTypeTable() const { return m_types; }

  // The function table: the nine construction functions by name.
  static const std::map<std::string, ConstructionFunction, std::less<>>& Functions();
  // The function of that name, or null.
  static ConstructionFunction FindFunction(std::string_view name);

  // The colour of the component's primitives (asked of the scheme each time).
  std::int32_t Colour(const CComponentInfo& info);

  // For construction functions: records why the component is declined and
  // returns false, so a function can write `return builder.Decline("...")`.
  bool Decline(const char* why) {
    m_declined = why;
    return false;
  }

 private:
  void InstallDefaultTypes();

  TypeTable m_types;
  SchemePtr m_scheme;
  const char* m_declined = nullptr;
};
