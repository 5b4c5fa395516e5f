#include "solid/ComponentGeometryBuilder.h"

#include <array>
#include <exception>
#include <new>
#include <string>

#include "platform/com/Strings.h"
#include "platform/window/MessageBox.h"
#include "platform/xml/Document.h"
#include "solid/ConstructionFunctions.h"
#include "solid/DefaultColourScheme.h"
#include "solid/PipingAccess.h"

namespace {

constexpr const char* kXmlErrorTitle = "XML Error";
constexpr std::string_view kEntryPattern =
    "Component-Geometry/Component-Processing/Component-Type-Handler[0]/Component-Type-Entry";

struct DefaultRow {
  const char16_t* type;
  const char* function;
};

// The built-in type table: 41 rows.
constexpr std::array<DefaultRow, 41> kDefaultTypes{{
    {u"PulledBend", "Bend1"},
    {u"Elbow-90", "Bend1"},
    {u"Elbow-90-V", "Bend1"},
    {u"Elbow-60", "Bend1"},
    {u"Elbow-60-V", "Bend1"},
    {u"Elbow-45", "Bend1"},
    {u"Elbow-45-V", "Bend1"},
    {u"Elbow-30", "Bend1"},
    {u"Elbow-30-V", "Bend1"},
    {u"Elbow-NonStandard", "Bend1"},
    {u"ReturnBend", "Bend2"},
    {u"ReturnElbow", "Bend2"},
    {u"TeedBend", "TeedBend"},
    {u"TeedElbow", "TeedBend"},
    {u"Teed-Concentric-Reducer", "TeedConcentricReducer"},
    {u"Eccentric-Reducer", "EccentricReducer"},
    {u"Teed-Eccentric-Reducer", "TeedEccentricReducer"},
    {u"Ball-Valve", "Valve"},
    {u"Check-Valve", "Valve"},
    {u"Diaphragm-Valve", "Valve"},
    {u"Globe-Valve", "Valve"},
    {u"Cock-Valve", "Valve"},
    {u"Needle-Valve", "Valve"},
    {u"Plug-Valve", "Valve"},
    {u"Relief-Valve", "Valve"},
    {u"Slide-Valve", "Valve"},
    {u"Gate-Valve", "Valve"},
    {u"Basic-Valve", "Valve"},
    {u"Pressure-Reducing-Valve", "Valve"},
    {u"Butterfly-Valve", "Valve"},
    {u"Pressure-Relief-Valve", "Valve"},
    {u"Nonreturn-Valve", "Valve"},
    {u"Angle-Valve", "Valve"},
    {u"Valve-3Way", "Valve"},
    {u"Valve-4Way", "Valve"},
    {u"Valve-Multiway", "Valve"},
    {u"Control-Valve", "Valve"},
    {u"Control-Valve-Angle", "Valve"},
    {u"Control-Valve-3Way", "Valve"},
    {u"Control-Valve-4Way", "Valve"},
    {u"Support", "Support"},
}};

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

CKelto3ComponentGeometryBuilder::CKelto3ComponentGeometryBuilder()
    : m_scheme(kelto::solid::MakeDefaultColourScheme()) {
  InstallDefaultTypes();
}

void CKelto3ComponentGeometryBuilder::InstallDefaultTypes() {
  for (const DefaultRow& row : kDefaultTypes)
    m_types[row.type] = TypeEntry{row.function, FindFunction(row.function)};
}

const std::map<std::string, CKelto3ComponentGeometryBuilder::ConstructionFunction, std::less<>>&
CKelto3ComponentGeometryBuilder::Functions() {
  using namespace kelto::solid;
  // Built on first use; the module runs on one thread, and C++ makes the
  // initialisation of a local static safe anyway.
  static const std::map<std::string, ConstructionFunction, std::less<>> functions{
      {"DrawLegs", &DrawLegs},
      {"Bend1", &Bend1},
      {"Bend2", &Bend2},
      {"Valve", &Valve},
      {"EccentricReducer", &EccentricReducer},
      {"TeedEccentricReducer", &TeedEccentricReducer},
      {"TeedConcentricReducer", &TeedConcentricReducer},
      {"TeedBend", &TeedBend},
      {"Support", &Support},
  };
  return functions;
}

CKelto3ComponentGeometryBuilder::ConstructionFunction CKelto3ComponentGeometryBuilder::FindFunction(
    std::string_view name) {
  const auto& functions = Functions();
  const auto found = functions.find(name);
  return found == functions.end() ? nullptr : found->second;
}

std::int32_t CKelto3ComponentGeometryBuilder::Colour(const CComponentInfo& info) {
  if (!m_scheme) return 0xFFFFFF;
  return m_scheme->GetColour(info.Component());
}

CBuildOutcome CKelto3ComponentGeometryBuilder::Build(CComponentInfo& info, CGeometrySet& geometry) {
  CBuildOutcome outcome;
  const TypeEntry* entry = nullptr;
  if (IKeltoItem* details = info.Details()) {
    const _bstr_t type = kelto::solid::TypeNameOf(details);
    const auto found = m_types.find(kelto::com::BstrView(type.GetBSTR()));
    if (found != m_types.end()) entry = &found->second;
  }

  if (entry) {
    outcome.requested = entry->functionName;
    if (!entry->function) {
      outcome.reason = "no construction function of that name";
    } else {
      const std::size_t before = geometry.size();
      m_declined = nullptr;
      try {
        if (entry->function(*this, info, geometry)) {
          outcome.function = entry->functionName;
          return outcome;
        }
        outcome.reason = m_declined ? m_declined : "declined";
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception& e) {
        // One component's bad data must not cost it its drawing: "DrawLegs"
        // reads less of the component and may still draw it.
        outcome.reason = std::string("failed: ") + e.what();
      }
      // Nothing of a declined or failed attempt may stay in the set.
      geometry.erase(geometry.begin() + static_cast<std::ptrdiff_t>(before), geometry.end());
    }
  }

  kelto::solid::DrawLegs(*this, info, geometry);
  outcome.function = "DrawLegs";
  return outcome;
}

void CKelto3ComponentGeometryBuilder::SetConfig(std::string_view configXml) {
  m_types.clear();
  kelto::xml::Document document;
  const kelto::xml::LoadResult loaded = document.loadXML(configXml);
  if (!loaded) {
    // Empty text is the documented way to empty the table. Anything else that
    // does not parse still empties it, but the person who wrote it is told:
    // silently drawing a whole plant by "DrawLegs" hides the typo.
    if (!IsBlank(configXml)) kelto::window::ShowMessageBox(kXmlErrorTitle, loaded.Describe());
    return;
  }
  try {
    std::size_t index = 0;
    for (const kelto::xml::Node& entry : document.getElementsByTagName(kEntryPattern)) {
      ++index;
      const kelto::xml::Attributes attributes = entry.attributes();
      const kelto::xml::Attribute type = attributes.getNamedItem("Component-Type");
      const kelto::xml::Attribute function = attributes.getNamedItem("Construction-Function");
      if (!type || !function) {
        const char* missing = !type ? "Component-Type" : "Construction-Function";
        kelto::window::ShowMessageBox(kXmlErrorTitle, "Component-Type-Entry " +
                                                          std::to_string(index) + " has no \"" +
                                                          missing + "\" attribute.");
        return;
      }
      const std::string name = function.nodeValue();
      m_types[kelto::com::Utf8ToUtf16(type.nodeValue())] = TypeEntry{name, FindFunction(name)};
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    kelto::window::ShowMessageBox(kXmlErrorTitle, e.what());
  }
}
