// The options registry: typed conversion on Set, the VARIANT forms of Get,
// change notices with deferral, the modified flag, contents arrays, and the
// failure paths (unknown names, unconvertible values, malformed contents).
#include "options/Options.h"

#include <gtest/gtest.h>

#include "options/OptionsFixtures.h"
#include "platform/com/Boundary.h"

using kelto::test::NoticeRecorder;
using kelto::test::RendererOptions;
using Names = std::set<std::string>;

namespace {

// A contents array built from alternating names and values.
_variant_t Contents(std::vector<_variant_t> cells) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(cells.size()));
  for (LONG i = 0; i < static_cast<LONG>(cells.size()); ++i) {
    EXPECT_EQ(SafeArrayPutElement(psa, &i, &cells[i]), S_OK);
  }
  return _variant_t::AdoptArray(psa, VT_VARIANT);
}

}  // namespace

TEST(Options, SetConvertsToTheOptionTypeAndKeepsTheOldValueWhenItCannot) {
  const struct {
    const char* name;
    const char* label;
    _variant_t value;
    _variant_t expected;  // read back with Get
  } cases[] = {
      {"Edges", "text number", _variant_t("24"), _variant_t(24)},
      {"Edges", "text that is no number", _variant_t("abc"), _variant_t(16)},
      {"Edges", "bool true", _variant_t(true), _variant_t(-1)},
      {"Edges", "beyond 32 bits", _variant_t(static_cast<long long>(1) << 40), _variant_t(16)},
      {"AxesRight", "text True", _variant_t("True"), _variant_t(true)},
      {"NormalLineWidth", "text number", _variant_t("2.5"), _variant_t(2.5f)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.label);
    RendererOptions r;
    NoticeRecorder rec(r.options);
    r.options.Set(c.name, c.value);
    const _variant_t got = r.options.Get(c.name);
    EXPECT_EQ(got.vt, c.expected.vt);
    EXPECT_TRUE(got == c.expected);
    // Converted or not, the change is announced and the registry is modified.
    ASSERT_EQ(rec.notices.size(), 1u);
    EXPECT_EQ(rec.notices[0], Names{c.name});
    EXPECT_TRUE(r.options.IsModified());
  }
}

TEST(Options, LongOptionsTravelAsThirtyTwoBitIntegers) {
  long colour = 16777215;
  COptions options;
  options.AddOption("MarkerColour", &colour);
  EXPECT_EQ(options.Get("MarkerColour").vt, VT_I4);
  options.Set("MarkerColour", _variant_t(-5));
  EXPECT_EQ(colour, -5);
  options.Set("MarkerColour", _variant_t(static_cast<long long>(1) << 32));
  EXPECT_EQ(colour, -5);  // does not fit VT_I4: ignored

  // An owner writing beyond 32 bits directly: reading fails rather than
  // handing out (and later saving) a truncated value.
  colour = 1L << 40;
  try {
    options.Get("MarkerColour");
    FAIL() << "expected an overflow";
  } catch (const kelto::com::HResultError& e) {
    EXPECT_EQ(e.Code(), DISP_E_OVERFLOW);
    EXPECT_NE(std::string(e.what()).find("MarkerColour"), std::string::npos);
  }
  EXPECT_THROW(options.GetContents(), kelto::com::HResultError);
}

TEST(Options, DeferralCollectsEachNameOnceUntilItEnds) {
  RendererOptions r;
  NoticeRecorder rec(r.options);
  r.options.SetDeferred(true);
  r.options.Set("Edges", _variant_t(8));
  r.options.Set("Edges", _variant_t(32));
  r.options.NotifyChanged({"BendSteps", "Edges"});
  EXPECT_TRUE(rec.notices.empty());
  EXPECT_TRUE(r.options.IsModified());  // collected changes count too
  r.options.SetDeferred(false);
  ASSERT_EQ(rec.notices.size(), 1u);
  EXPECT_EQ(rec.notices[0], (Names{"BendSteps", "Edges"}));
  EXPECT_EQ(r.Long("Edges"), 32);
  // The batch is gone: a second end of deferral has nothing to send.
  r.options.SetDeferred(false);
  EXPECT_EQ(rec.notices.size(), 1u);
}

// A receiver that reacts to a batch by changing another option.
class Cascader : public sigslot::has_slots<> {
 public:
  explicit Cascader(COptions& options) : m_options(options) {
    options.changedSignal.connect(this, &Cascader::OnChanged);
  }
  void OnChanged(std::set<std::string> names) {
    if (names.count("Edges")) m_options.Set("BendSteps", _variant_t(4));
  }

 private:
  COptions& m_options;
};

TEST(Options, AChangeMadeWhileABatchIsAnnouncedGetsItsOwnNotice) {
  RendererOptions r;
  Cascader cascade(r.options);
  NoticeRecorder rec(r.options);
  r.options.SetDeferred(true);
  r.options.Set("Edges", _variant_t(32));
  r.options.SetDeferred(false);
  EXPECT_EQ(r.Long("BendSteps"), 4);
  // The cascaded notice is neither lost nor left waiting in a new batch.
  ASSERT_EQ(rec.notices.size(), 2u);
  EXPECT_EQ(rec.notices[0], Names{"BendSteps"});
  EXPECT_EQ(rec.notices[1], Names{"Edges"});
  EXPECT_FALSE(r.options.IsDeferred());
}

TEST(Options, SetContentsSkipsUnknownAndNonTextNamesInArrayOrder) {
  RendererOptions r;
  NoticeRecorder rec(r.options);
  r.options.SetContents(Contents({_variant_t("Edges"), _variant_t("20"),      //
                                  _variant_t("Nonsense"), _variant_t(1),      //
                                  _variant_t(7), _variant_t(1),               // a number: no name
                                  _variant_t("AxesTop"), _variant_t(false),   //
                                  _variant_t("Edges"), _variant_t("abc")}));  // later pair wins
  EXPECT_EQ(r.Long("Edges"), 20);  // "abc" did not convert
  EXPECT_FALSE(r.Bool("AxesTop"));
  ASSERT_EQ(rec.notices.size(), 1u);
  EXPECT_EQ(rec.notices[0], (Names{"AxesTop", "Edges"}));

  // Nothing registered among the names: no notice, no modified flag.
  RendererOptions untouched;
  NoticeRecorder quiet(untouched.options);
  untouched.options.SetContents(Contents({_variant_t("Unknown"), _variant_t(1)}));
  EXPECT_TRUE(quiet.notices.empty());
  EXPECT_FALSE(untouched.options.IsModified());
}

TEST(Options, MalformedContentsAreRejectedBeforeAnythingChanges) {
  RendererOptions r;
  NoticeRecorder rec(r.options);
  // An odd element count: the first pair is fine but must not be applied.
  EXPECT_THROW(
      r.options.SetContents(Contents({_variant_t("Edges"), _variant_t(9), _variant_t("x")})),
      std::invalid_argument);
  EXPECT_THROW(r.options.SetContents(_variant_t(3)), std::invalid_argument);
  _variant_t ints = _variant_t::AdoptArray(SafeArrayCreateVector(VT_I4, 0, 2), VT_I4);
  EXPECT_THROW(r.options.SetContents(ints), std::invalid_argument);
  EXPECT_EQ(r.Long("Edges"), 16);
  EXPECT_TRUE(rec.notices.empty());
  EXPECT_FALSE(r.options.IsModified());
}
