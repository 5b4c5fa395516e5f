#include "kelto/data/Catalogue.h"

#include <nlohmann/json.hpp>

#include "kelto/data/LoadError.h"

namespace kelto::data {

// Generated at build time from kelto/data/catalogue.json (EmbedText.cmake).
extern const char kCatalogueJson[];

namespace {

using Json = nlohmann::json;

class Reader {
 public:
  explicit Reader(const std::string& name) : name_(name) {}

  [[noreturn]] void Fail(const std::string& path, const std::string& problem) const {
    throw LoadError(name_, path.empty() ? "/" : path, problem);
  }

  const Json& Member(const Json& object, const std::string& path, const char* key) const {
    const auto it = object.find(key);
    if (it == object.end()) Fail(path, std::string("missing member \"") + key + "\"");
    return *it;
  }

  std::string String(const Json& object, const std::string& path, const char* key,
                     bool required = true) const {
    if (!required && !object.contains(key)) return {};
    const Json& v = Member(object, path, key);
    if (!v.is_string()) Fail(path + "/" + key, "expected a string");
    return v.get<std::string>();
  }

  std::int32_t Integer(const Json& object, const std::string& path, const char* key,
                       bool required = true) const {
    if (!required && !object.contains(key)) return 0;
    const Json& v = Member(object, path, key);
    if (!v.is_number_integer()) Fail(path + "/" + key, "expected an integer");
    return v.get<std::int32_t>();
  }

  const Json& Array(const Json& object, const std::string& path, const char* key) const {
    const Json& v = Member(object, path, key);
    if (!v.is_array()) Fail(path + "/" + key, "expected an array");
    return v;
  }

 private:
  const std::string& name_;
};

}  // namespace

const Catalogue& Catalogue::Default() {
  static const Catalogue catalogue = Parse(kCatalogueJson, "catalogue.json");
  return catalogue;
}

Catalogue Catalogue::Parse(std::string_view text, const std::string& name) {
  const Json doc = Json::parse(text.begin(), text.end(), nullptr, false, true);
  Reader r(name);
  if (doc.is_discarded()) r.Fail("", "not valid JSON");
  if (!doc.is_object()) r.Fail("", "expected an object");
  if (r.String(doc, "", "format") != "kelto-catalogue")
    r.Fail("/format", "expected \"kelto-catalogue\"");
  if (r.Integer(doc, "", "version") != 1) r.Fail("/version", "unsupported version");

  Catalogue c;
  const Json& types = r.Array(doc, "", "types");
  for (std::size_t i = 0; i < types.size(); ++i) {
    const std::string path = "/types/" + std::to_string(i);
    const Json& t = types[i];
    if (!t.is_object()) r.Fail(path, "expected an object");
    CatalogueType entry;
    entry.type = r.String(t, path, "type");
    entry.group = r.String(t, path, "group");
    entry.itemCode = r.Integer(t, path, "itemCode");
    entry.symbolKey = r.String(t, path, "symbolKey");
    if (entry.symbolKey.size() != 4) r.Fail(path + "/symbolKey", "a symbol key has 4 characters");
    entry.shapeCode = r.String(t, path, "shapeCode", false);
    entry.symbolClass = r.String(t, path, "class");
    entry.description = r.String(t, path, "description", false);
    if (!c.typeIndex_.emplace(entry.type, c.types_.size()).second)
      r.Fail(path + "/type", "type \"" + entry.type + "\" is listed twice");
    c.types_.push_back(std::move(entry));
  }
  const Json& keys = r.Array(doc, "", "keys");
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string path = "/keys/" + std::to_string(i);
    const Json& k = keys[i];
    if (!k.is_object()) r.Fail(path, "expected an object");
    std::string key = r.String(k, path, "key");
    if (key.size() != 4) r.Fail(path + "/key", "a symbol key has 4 characters");
    const std::int32_t variant = r.Integer(k, path, "variant", false);
    std::vector<std::string> classes;
    const Json& list = r.Array(k, path, "classes");
    for (std::size_t j = 0; j < list.size(); ++j) {
      if (!list[j].is_string()) r.Fail(path + "/classes/" + std::to_string(j), "expected a string");
      classes.push_back(list[j].get<std::string>());
    }
    if (!c.keys_.emplace(std::make_pair(std::move(key), variant), std::move(classes)).second)
      r.Fail(path, "key and variant listed twice");
  }
  return c;
}

const CatalogueType* Catalogue::FindType(std::string_view type) const {
  const auto it = typeIndex_.find(std::string(type));
  return it == typeIndex_.end() ? nullptr : &types_[it->second];
}

std::array<std::string_view, 4> Catalogue::DescribeType(std::string_view type) const {
  const CatalogueType* t = FindType(type);
  if (!t) return {};
  return {t->group, t->symbolClass, t->symbolKey, t->description};
}

const std::vector<std::string>* Catalogue::FindKey(std::string_view key,
                                                   std::int32_t variant) const {
  const auto it = keys_.find({std::string(key), variant});
  return it == keys_.end() ? nullptr : &it->second;
}

std::span<const std::string> Catalogue::KeyTypes(std::string_view key, std::int32_t variant) const {
  const std::string family = std::string(key.substr(0, 2)) + "**";
  for (const std::string& k : {std::string(key), family})
    for (std::int32_t v : {variant, 0})
      if (const auto* found = FindKey(k, v)) return *found;
  return {};
}

}  // namespace kelto::data
