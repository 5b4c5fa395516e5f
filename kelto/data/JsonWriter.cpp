#include "kelto/data/JsonWriter.h"

#include <nlohmann/json.hpp>

#include "kelto/data/File.h"
#include "kelto/data/NumberText.h"

namespace kelto::data {

namespace {

std::string Quote(std::string_view text) { return nlohmann::json(std::string(text)).dump(); }

std::string Vector(const Vec3& v) {
  return '[' + NumberText(v.x) + ", " + NumberText(v.y) + ", " + NumberText(v.z) + ']';
}

template <typename Attributes>
void WriteAttributes(std::string& out, const File& file, const Attributes& attributes,
                     const char* indent) {
  if (attributes.empty()) return;
  out += ",\n";
  out += indent;
  out += "\"attributes\": {";
  bool first = true;
  for (const Attribute& a : attributes) {
    out += first ? "" : ", ";
    out += Quote(file.Text(a.name)) + ": " + Quote(file.Text(a.value));
    first = false;
  }
  out += '}';
}

void WriteComponent(std::string& out, const File& file, const Component& c) {
  out += "        {\n          \"id\": " + Quote(c.Id()) + ",\n          \"type\": " +
         Quote(c.TypeName()) + ",\n          \"group\": " + Quote(c.GroupName()) +
         ",\n          \"itemCode\": " + std::to_string(c.ItemCode());
  if (!c.SymbolKey().empty()) out += ",\n          \"symbolKey\": " + Quote(c.SymbolKey());
  out += ",\n          \"shapeCode\": " + Quote(c.ShapeCode()) + ",\n          \"points\": {";
  bool first = true;
  for (const Point& p : c.Points()) {
    out += first ? "\n" : ",\n";
    out += "            " + Quote(file.Text(p.name)) + ": {\"position\": " + Vector(p.position) +
           ", \"bore\": " + NumberText(p.bore) +
           ", \"boreUnits\": " + std::to_string(int{p.boreUnits});
    if (!file.Text(p.endType).empty()) out += ", \"endType\": " + Quote(file.Text(p.endType));
    if (p.internal) out += ", \"internal\": true";
    out += '}';
    first = false;
  }
  out += first ? "}" : "\n          }";
  if (!c.Legs().empty()) {
    out += ",\n          \"legs\": [";
    first = true;
    for (const Leg& leg : c.Legs()) {
      out += first ? "" : ", ";
      out += "{\"from\": " + Quote(file.Text(file.FromPoint(leg).name)) +
             ", \"to\": " + Quote(file.Text(file.ToPoint(leg).name));
      if (leg.directionGiven) out += ", \"direction\": " + Vector(leg.direction);
      if (leg.lengthGiven) out += ", \"length\": " + NumberText(leg.length);
      out += '}';
      first = false;
    }
    out += ']';
  }
  WriteAttributes(out, file, c.Attributes(), "          ");
  if (c.AttachmentCount() > 0) {
    out += ",\n          \"attachments\": [";
    for (std::size_t i = 0; i < c.AttachmentCount(); ++i)
      out += (i ? ", " : "") + Quote(c.Attachment(i).Id());
    out += ']';
  }
  out += "\n        }";
}

}  // namespace

std::string WriteJson(const File& file) {
  std::string out = "{\n  \"format\": \"kelto-piping\",\n  \"version\": 1,\n";
  if (!file.Description().empty())
    out += "  \"description\": " + Quote(file.Description()) + ",\n";
  out += "  \"pipelines\": [";
  bool firstPipeline = true;
  for (const Pipeline* p : file.Pipelines()) {
    out += firstPipeline ? "\n" : ",\n";
    firstPipeline = false;
    out += "    {\n      \"id\": " + Quote(p->Id());
    if (!p->Description().empty()) out += ",\n      \"description\": " + Quote(p->Description());
    WriteAttributes(out, file, p->Attributes(), "      ");
    out += ",\n      \"components\": [";
    bool first = true;
    for (const Component* c : p->Components()) {
      out += first ? "\n" : ",\n";
      first = false;
      WriteComponent(out, file, *c);
    }
    out += first ? "]\n    }" : "\n      ]\n    }";
  }
  out += firstPipeline ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

}  // namespace kelto::data
