// The arguments of `kelto3d render` and the small parsers behind them. Kept
// apart from the command so that every rule about what a user may type is in
// one place and needs no GL to check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ModelChoice.h"
#include "render/StandardViewDir.h"

class COptions;
namespace CLI {
class App;
}

namespace kelto::cli {

enum class PictureFormat { Png, Pdf, Svg };

struct PictureSize {
  int width = 0;
  int height = 0;
};

// The largest side of a picture: the off-screen buffer and its depth buffer
// take 8 bytes a pixel, so 8192 × 8192 is already half a gigabyte.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr PictureSize kDefaultPictureSize{1600, 1000};

struct RenderArgs {
  std::vector<std::string> files;
  std::string output;
  PictureFormat format = PictureFormat::Png;
  PictureSize size = kDefaultPictureSize;
  int view = svdNorthTopLeft;
  // 0x00BBGGRR; the renderer's own default (black) when absent.
  std::optional<std::int32_t> background;
  // --option NAME=VALUE, in the order given (a later one wins).
  std::vector<std::pair<std::string, std::string>> options;
  // --representation, --ext-dims, --type-table, --symbols.
  ModelChoice model;
  // An XML file, or XML text when it begins with '<'.
  std::optional<std::string> colourScheme;
  bool markers = false;
  bool progress = false;
};

// Components from which a model counts as large: progress is reported
// without --progress.
inline constexpr std::size_t kLargeModelComponents = 2000;

// Declares the options and arguments of render on its app.
void DefineRenderOptions(CLI::App& app, RenderArgs& args);

// "WxH" with whole numbers from 1 to kMaxPictureSide ("1600x1000"; an upper
// case X is accepted too).
std::optional<PictureSize> ParsePictureSize(std::string_view text);

// A colour as "#RRGGBB" (the way people write colours) or as a number in the
// model's own 0x00BBGGRR order, hexadecimal after "0x" or decimal, at most
// 0xFFFFFF. The two forms list the channels in opposite orders on purpose:
// "#FF0000" and 0x0000FF are both red.
std::optional<std::int32_t> ParseColourArgument(std::string_view text);

// The format an output path asks for by its extension (case ignored).
std::optional<PictureFormat> PictureFormatOf(std::string_view path);

// Sets a renderer option by name from text, converted to the option's own
// type the way a script's text would be (bool: True/False in any case or a
// number; int: a whole number, rounded; float: a number with a point). On
// an unknown name or a value that does not convert, returns a message naming
// both and leaves the option alone; nullopt on success.
std::optional<std::string> SetOptionFromText(COptions& options, const std::string& name,
                                             const std::string& value);

// The ten standard view names, as --help and errors list them.
std::string StandardViewNames();

}  // namespace kelto::cli
