#include "RenderArgs.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

#include "Command.h"
#include "ModelArgs.h"
#include "options/Options.h"
#include "platform/com/Api.h"
#include "platform/com/Variant.h"

namespace kelto::cli {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// A whole, unsigned number filling all of text, in the given base.
template <typename T>
std::optional<T> WholeNumber(std::string_view text, int base = 10) {
  T value{};
  if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool StartsWithHexPrefix(std::string_view text) {
  return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace

std::optional<PictureSize> ParsePictureSize(std::string_view text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  const auto w = WholeNumber<int>(text.substr(0, x));
  const auto h = WholeNumber<int>(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > kMaxPictureSide || *h > kMaxPictureSide)
    return std::nullopt;
  return PictureSize{*w, *h};
}

std::optional<std::int32_t> ParseColourArgument(std::string_view text) {
  std::optional<std::uint32_t> value;
  if (!text.empty() && text.front() == '#') {
    if (text.size() != 7) return std::nullopt;
    const auto rgb = WholeNumber<std::uint32_t>(text.substr(1), 16);
    if (!rgb) return std::nullopt;
    // #RRGGBB → 0x00BBGGRR.
    value = ((*rgb >> 16) & 0xFF) | (*rgb & 0xFF00) | ((*rgb & 0xFF) << 16);
  } else if (StartsWithHexPrefix(text)) {
    value = WholeNumber<std::uint32_t>(text.substr(2), 16);
  } else {
    value = WholeNumber<std::uint32_t>(text);
  }
  // The top byte is not a channel: the renderer would read it as blue above
  // 255, so it is refused rather than drawn as something else.
  if (!value || *value > 0xFFFFFF) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

std::optional<PictureFormat> PictureFormatOf(std::string_view path) {
  const auto slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string ext = Lower(name.substr(dot + 1));
  if (ext == "png") return PictureFormat::Png;
  if (ext == "pdf") return PictureFormat::Pdf;
  if (ext == "svg") return PictureFormat::Svg;
  return std::nullopt;
}

std::optional<std::string> SetOptionFromText(COptions& options, const std::string& name,
                                             const std::string& value) {
  const std::string what = "option " + name + "=" + value + ": ";
  if (!options.Find(name)) {
    std::string known;
    for (const std::string& n : options.GetNames()) known += (known.empty() ? "" : ", ") + n;
    return what + "no renderer option is called \"" + name + "\" (options: " + known + ")";
  }
  const VARTYPE type = options.Get(name).vt;
  _variant_t converted;
  // Hexadecimal is the natural way to write a colour or a mask; the text
  // conversion below only knows decimal.
  if (type == VT_I4 && StartsWithHexPrefix(value)) {
    const auto n = WholeNumber<std::uint32_t>(std::string_view(value).substr(2), 16);
    if (!n) return what + "\"" + value + "\" is not a hexadecimal number";
    converted = _variant_t(static_cast<int>(static_cast<std::int32_t>(*n)));
  } else {
    const _variant_t text(value.c_str());
    if (FAILED(VariantChangeType(&converted, &text, 0, type))) {
      const char* kind = type == VT_BOOL ? "True, False or a number"
                         : type == VT_R4 ? "a number"
                                         : "a whole number";
      return what + "\"" + value + "\" is not " + kind;
    }
  }
  options.Set(name, converted);
  return std::nullopt;
}

std::string StandardViewNames() {
  std::string names;
  for (int v = 0; v < kStandardViewDirCount; ++v)
    names += (v ? ", " : "") + std::string(StandardViewDirName(v));
  return names;
}

void DefineRenderOptions(CLI::App& app, RenderArgs& args) {
  CheckedBy(app.add_option("FILE", args.files, "piping files, drawn together")
                ->required()
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll),
            NotEmpty("a piping file"));
  CheckedBy(app.add_option_function<std::string>(
                "-o,--output",
                [&args](const std::string& v) {
                  args.output = v;
                  args.format = *PictureFormatOf(v);
                },
                "the picture: a .png, .pdf or .svg file")
                ->required(),
            [](const std::string& v) -> std::string {
              if (v.empty()) return "needs a file name";
              if (PictureFormatOf(v)) return "";
              return "cannot tell the format of \"" + v +
                     "\": the output file must end in .png, .pdf or .svg";
            })
      ->type_name("OUT");
  CheckedBy(app.add_option_function<std::string>(
                "--size", [&args](const std::string& v) { args.size = *ParsePictureSize(v); },
                "picture size in pixels (default 1600x1000, at most " +
                    std::to_string(kMaxPictureSide) + " a side)"),
            [](const std::string& v) -> std::string {
              if (ParsePictureSize(v)) return "";
              return "expected WIDTHxHEIGHT in pixels, each 1 to " +
                     std::to_string(kMaxPictureSide) + ", not \"" + v + "\"";
            })
      ->type_name("WxH");
  CheckedBy(app.add_option_function<std::string>(
                "--view", [&args](const std::string& v) { args.view = ParseStandardViewDir(v); },
                "standard view (default NorthTopLeft), one of " + StandardViewNames() +
                    " (any case, \"svd\" prefix optional)"),
            [](const std::string& v) -> std::string {
              if (ParseStandardViewDir(v) >= 0) return "";
              return "unknown view \"" + v + "\" (views: " + StandardViewNames() + ")";
            })
      ->type_name("NAME");
  CheckedBy(app.add_option_function<std::string>(
                "--background",
                [&args](const std::string& v) { args.background = *ParseColourArgument(v); },
                "#RRGGBB, or a 0x00BBGGRR number (default black)"),
            [](const std::string& v) -> std::string {
              if (ParseColourArgument(v)) return "";
              return "expected #RRGGBB or a 0x00BBGGRR number, not \"" + v + "\"";
            })
      ->type_name("COLOUR");
  CheckedBy(app.add_option("--option",
                           "set a renderer option (repeatable), e.g. Edges=32, AxesSize=0, "
                           "NormalLineWidth=2 (docs/rendering.md)"),
            [](const std::string& v) -> std::string {
              const auto eq = v.find('=');
              if (eq != std::string::npos && eq != 0) return "";
              return "expected NAME=VALUE, not \"" + v + "\"";
            })
      ->each([&args](const std::string& v) {
        const auto eq = v.find('=');
        args.options.emplace_back(v.substr(0, eq), v.substr(eq + 1));
      })
      ->type_name("NAME=VALUE")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  DefineModelOptions(app, args.model);
  CheckedBy(app.add_option("--colour-scheme", args.colourScheme,
                           "colour rules setting a \"Colour\" tag (docs/colour-schemes.md; a "
                           "file, or text starting with '<')"),
            NotEmpty("an XML file"))
      ->type_name("XML");
  app.add_flag("--markers", args.markers, "draw a marker at the start of every pipeline");
  app.add_flag("--progress", args.progress,
               "report progress on standard error (always on for models of more than " +
                   std::to_string(kLargeModelComponents) + " components)");
}

}  // namespace kelto::cli
