// What the command tests share: the kelto3d command line run in-process with
// what it printed kept, files read back whole, and PNG pixels (and the test
// framework and temporary folders every command test uses).
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "support/TempDir.h"

namespace kelto::cli::test {

struct Result {
  int code;
  std::string out, err;
};

inline Result RunTool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A PNG's pixels as 0xRRGGBB, top row first (empty when it does not load).
struct Png {
  explicit Png(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
      width = cairo_image_surface_get_width(s);
      height = cairo_image_surface_get_height(s);
      const int stride = cairo_image_surface_get_stride(s);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          px.push_back(reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                              y * stride)[x] &
                       0xFFFFFF);
    }
    cairo_surface_destroy(s);
  }
  std::uint32_t At(int x, int y) const { return px.at(std::size_t(y) * width + x); }
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;
};

}  // namespace kelto::cli::test
