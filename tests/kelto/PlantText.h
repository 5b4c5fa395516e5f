// Piping text for the kelto tests: the sample plants, small hand-written
// lines, and edits of a text that fail loudly when they no longer apply.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelto::test {

inline std::string Example(const char* name) {
  return std::string(KELTO_SOURCE_DIR) + "/examples/" + name;
}

inline std::string ReadExample(const char* name) {
  std::ifstream in(Example(name), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// `text` with the first `from` replaced by `to`.
inline std::string Edit(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at == std::string::npos) throw std::logic_error("test edit does not apply: " + from);
  return text.replace(at, from.size(), to);
}

// A file of one pipeline "L" holding the given component texts.
inline std::string LineText(const std::vector<std::string>& components) {
  std::string text =
      R"({"format": "kelto-piping", "version": 1, "pipelines": [{"id": "L", "components": [)";
  for (std::size_t i = 0; i < components.size(); ++i) text += (i ? ", " : "") + components[i];
  return text + "]}]}";
}

}  // namespace kelto::test
