// The one error a failed load reports.
#pragma once

#include <stdexcept>
#include <string>

namespace kelto::data {

// what() is the full message, for example
//   plant.json: /pipelines/2/components/17/points/End_1/bore: expected a number, found a string
//   plant.json:12:7: /pipelines/0: syntax error while parsing object separator - ...
// The parts are kept apart for callers that present them differently.
class LoadError : public std::runtime_error {
 public:
  LoadError(std::string file, std::string jsonPath, std::string problem, std::size_t line = 0,
            std::size_t column = 0);

  const std::string& File() const { return file_; }
  // A JSON pointer ("/pipelines/0/id"); "/" for the document itself and empty
  // when the file could not be read at all.
  const std::string& JsonPath() const { return jsonPath_; }
  const std::string& Problem() const { return problem_; }
  // 1-based; 0 when the error is not about the text's syntax.
  std::size_t Line() const { return line_; }
  std::size_t Column() const { return column_; }

 private:
  std::string file_;
  std::string jsonPath_;
  std::string problem_;
  std::size_t line_;
  std::size_t column_;
};

}  // namespace kelto::data
