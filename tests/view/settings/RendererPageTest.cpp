// The options page without a toolkit: a dialog host that is a table of
// control states stands in for the widgets.
#include "view/settings/RendererPropPg.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "options/ComOptions.h"
#include "platform/com/Api.h"
#include "render/GLRenderer.h"

namespace {

namespace dlg = kelto::dialog;

class TableHost : public dlg::IFDialogHost {
 public:
  void Create(const dlg::CDialogTemplate&, dlg::IFDialogEvents* events) override {
    events_ = events;
  }
  void Destroy() override { events_ = nullptr; }
  void SetItems(int, const std::vector<std::string>&) override {}
  void SetDigitsOnly(int id) override { digitsOnly.insert(id); }
  void SetText(int id, const std::string& t) override { text[id] = t; }
  std::string GetText(int id, std::size_t maxChars) const override {
    auto it = text.find(id);
    return it == text.end() ? "" : it->second.substr(0, maxChars);
  }
  void SetCheck(int id, bool c) override { check[id] = c; }
  bool GetCheck(int id) const override { return check.count(id) && check.at(id); }

  // What a person does: typing (the field keeps only what its rule lets
  // through) and clicking.
  void Type(int id, const std::string& t) {
    if (digitsOnly.count(id) && !dlg::IsDigitsOnly(t)) return;
    text[id] = t;
    events_->OnControlChanged(id);
  }
  void Click(int id) {
    check[id] = !check[id];
    events_->OnControlChanged(id);
  }

  std::set<int> digitsOnly;
  std::map<int, std::string> text;
  std::map<int, bool> check;

 private:
  dlg::IFDialogEvents* events_ = nullptr;
};

struct Site : kelto::com::Object<Site, IPropertyPageSite> {
  HRESULT OnStatusChange(DWORD flags) override {
    statuses.push_back(flags);
    return S_OK;
  }
  HRESULT GetLocaleID(LCID* id) override {
    *id = 0x409;
    return S_OK;
  }
  HRESULT GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
  HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }
  std::vector<DWORD> statuses;
};

struct Notices : sigslot::has_slots<> {
  std::vector<COptions::Names> got;
  void On(COptions::Names n) { got.push_back(n); }
};

class RendererPage : public ::testing::Test {
 protected:
  void SetUp() override {
    options_ = CComOptions::ForRegistry(renderer_.GetOptions());
    IUnknown* objects[] = {static_cast<kelto3d::IOptions*>(options_.Get())};
    ASSERT_EQ(page_->SetPageSite(site_.Get()), S_OK);
    ASSERT_EQ(page_->SetObjects(1, objects), S_OK);
    ASSERT_EQ(page_->Activate(HostToHwnd(static_cast<dlg::IFDialogHost*>(&host_)), nullptr, TRUE),
              S_OK);
    renderer_.GetOptions().changedSignal.connect(&notices_, &Notices::On);
  }
  int Option(const char* name) {
    _variant_t v = renderer_.GetOptions().Get(name);
    return v.vt == VT_BOOL ? v.boolVal : v.lVal;
  }

  CGLRenderer renderer_;  // never initialised: options only
  kelto::com::ComPtr<CComOptions> options_;
  kelto::com::ComPtr<CRendererPropPg> page_ = kelto::com::MakeObject<CRendererPropPg>();
  kelto::com::ComPtr<Site> site_ = kelto::com::MakeObject<Site>();
  TableHost host_;
  Notices notices_;
};

TEST_F(RendererPage, ActivationShowsTheOptions) {
  EXPECT_EQ(host_.text,
            (std::map<int, std::string>{
                {207, "8"}, {208, "2"}, {209, "16"}, {210, "1"}, {213, "50"}, {212, "1"}}));
  EXPECT_EQ(host_.check,
            (std::map<int, bool>{{214, true}, {215, false}, {211, false}, {216, true}}));
  EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
  EXPECT_TRUE(notices_.got.empty());
  // What is not an options object cannot be edited.
  IUnknown* site[] = {static_cast<IPropertyPageSite*>(site_.Get())};
  EXPECT_EQ(page_->SetObjects(1, site), E_NOINTERFACE);
  EXPECT_EQ(page_->Activate(0, nullptr, TRUE), E_POINTER);
}

TEST_F(RendererPage, ApplyPutsEveryControlInOneNotice) {
  host_.Type(209, "12");                        // not among the offered values
  host_.Type(209, "1x");                        // refused as it is typed
  host_.Type(207, "");                          // an empty field does not convert
  host_.Type(213, "123456789012345678901234");  // 24 digits: 23 are read, too big
  host_.Click(215);
  host_.Click(216);
  EXPECT_EQ(page_->IsPageDirty(), S_OK);
  EXPECT_EQ(site_->statuses, (std::vector<DWORD>{PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE}))
      << "told once, when the page became dirty";

  ASSERT_EQ(page_->Apply(), S_OK);
  EXPECT_EQ(Option("Edges"), 12);
  EXPECT_EQ(Option("BendSteps"), 8) << "left as it was";
  EXPECT_EQ(Option("AxesSize"), 50) << "left as it was";
  EXPECT_EQ(Option("AxesRight"), VARIANT_TRUE);
  EXPECT_EQ(Option("ViewLimits"), VARIANT_FALSE);
  ASSERT_EQ(notices_.got.size(), 1u);
  EXPECT_EQ(notices_.got[0],
            (COptions::Names{"AxesRight", "AxesSize", "AxesTop", "BendSteps", "CylStacks", "Edges",
                             "KeyPrecision", "NormalizeScale", "SnoutSteps", "ViewLimits"}));
  EXPECT_EQ(page_->IsPageDirty(), S_FALSE);
}

TEST(DigitsOnly, AcceptsDigitsAndTheEmptyText) {
  const std::pair<const char*, bool> cases[] = {
      {"", true},     {"0123456789", true}, {"-1", false},
      {"1.5", false}, {" 1", false},        {"\xd9\xa3", false}};  // an Arabic-Indic three
  for (const auto& [text, ok] : cases) EXPECT_EQ(dlg::IsDigitsOnly(text), ok) << text;
}

}  // namespace
