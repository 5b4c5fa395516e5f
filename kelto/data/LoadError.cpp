#include "kelto/data/LoadError.h"

#include <utility>

namespace kelto::data {

namespace {
std::string Compose(const std::string& file, const std::string& path, const std::string& problem,
                    std::size_t line, std::size_t column) {
  std::string text = file;
  if (line != 0) text += ':' + std::to_string(line);
  // Line-based formats name only the line.
  if (line != 0 && column != 0) text += ':' + std::to_string(column);
  text += ": ";
  if (!path.empty()) text += path + ": ";
  return text + problem;
}
}  // namespace

LoadError::LoadError(std::string file, std::string jsonPath, std::string problem, std::size_t line,
                     std::size_t column)
    : std::runtime_error(Compose(file, jsonPath, problem, line, column)),
      file_(std::move(file)),
      jsonPath_(std::move(jsonPath)),
      problem_(std::move(problem)),
      line_(line),
      column_(column) {}

}  // namespace kelto::data
