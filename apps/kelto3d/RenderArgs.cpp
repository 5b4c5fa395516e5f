#include "RenderArgs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

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

// The options that take a value, and what the value is called in messages.
struct ValueOption {
  const char* name;
  const char* value;
};
constexpr ValueOption kValueOptions[] = {
    {"-o", "a file name"},
    {"--output", "a file name"},
    {"--size", "WxH"},
    {"--view", "a view name"},
    {"--background", "a colour"},
    {"--option", "NAME=VALUE"},
    {"--colour-scheme", "an XML file"},
};

const ValueOption* FindValueOption(const std::string& a) {
  for (const ValueOption& o : kValueOptions)
    if (a == o.name) return &o;
  return nullptr;
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

std::optional<RenderArgs> ParseRenderArgs(const std::vector<std::string>& args, std::ostream& err) {
  RenderArgs parsed;
  auto fail = [&](const std::string& problem) -> std::optional<RenderArgs> {
    err << "kelto3d render: " << problem << '\n';
    return std::nullopt;
  };
  for (const std::string& a : args)
    if (a == "-h" || a == "--help") {
      parsed.help = true;
      return parsed;
    }
  bool haveOutput = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--markers") {
      parsed.markers = true;
      continue;
    }
    if (a == "--progress") {
      parsed.progress = true;
      continue;
    }
    bool failed = false;
    if (TakeModelArgument(args, i, parsed.model, failed, "render", err)) {
      if (failed) return std::nullopt;
      continue;
    }
    if (const ValueOption* option = FindValueOption(a)) {
      if (i + 1 >= args.size()) return fail(a + " needs " + option->value);
      const std::string& v = args[++i];
      if (a == "-o" || a == "--output") {
        if (v.empty()) return fail(a + " needs a file name");
        const auto format = PictureFormatOf(v);
        if (!format)
          return fail("cannot tell the format of \"" + v +
                      "\": the output file must end in .png, .pdf or .svg");
        parsed.output = v;
        parsed.format = *format;
        haveOutput = true;
      } else if (a == "--size") {
        const auto size = ParsePictureSize(v);
        if (!size)
          return fail("--size takes WIDTHxHEIGHT in pixels, each 1 to " +
                      std::to_string(kMaxPictureSide) + ", not \"" + v + "\"");
        parsed.size = *size;
      } else if (a == "--view") {
        const int view = ParseStandardViewDir(v);
        if (view < 0)
          return fail("unknown view \"" + v + "\" (views: " + StandardViewNames() + ")");
        parsed.view = view;
      } else if (a == "--background") {
        const auto colour = ParseColourArgument(v);
        if (!colour)
          return fail("--background takes #RRGGBB or a 0x00BBGGRR number, not \"" + v + "\"");
        parsed.background = *colour;
      } else if (a == "--option") {
        const auto eq = v.find('=');
        if (eq == std::string::npos || eq == 0)
          return fail("--option takes NAME=VALUE, not \"" + v + "\"");
        parsed.options.emplace_back(v.substr(0, eq), v.substr(eq + 1));
      } else {
        if (v.empty()) return fail(a + " needs " + option->value);
        parsed.colourScheme = v;
      }
      continue;
    }
    if (a.size() > 1 && a.front() == '-') return fail("unknown option \"" + a + "\"");
    if (a.empty()) return fail("an empty file name");
    parsed.files.push_back(a);
  }
  if (parsed.files.empty()) return fail("which piping file?");
  if (!haveOutput) return fail("-o OUT is required (a .png, .pdf or .svg file)");
  if (!CheckModelChoice(parsed.model, "render", err)) return std::nullopt;
  return parsed;
}

}  // namespace kelto::cli
