// The plugin's entry point: a modal property sheet in Qt 6 Widgets, one tab
// per page, with OK, Cancel and Apply.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QWindow>
#include <QVBoxLayout>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DisplayCheck.h"
#include "QtDialogHost.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "view/settings/PropertySheetPlugin.h"

namespace {

class CPageSite final : public kelto::com::Object<CPageSite, IPropertyPageSite> {
 public:
  CPageSite(LCID locale, std::function<void()> onDirty)
      : m_locale(locale), m_onDirty(std::move(onDirty)) {}
  HRESULT OnStatusChange(DWORD flags) override {
    if (flags & PROPPAGESTATUS_DIRTY) m_onDirty();
    return S_OK;
  }
  HRESULT GetLocaleID(LCID* id) override {
    if (!id) return E_POINTER;
    *id = m_locale;
    return S_OK;
  }
  HRESULT GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
  HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  LCID m_locale;
  std::function<void()> m_onDirty;
};

// The description of the thread's error information, for a failed page call.
std::string LastError(const char* fallback) {
  kelto::com::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return fallback;
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::string out = kelto::com::BstrToUtf8(text);
  SysFreeString(text);
  return out.empty() ? fallback : out;
}

struct Page {
  IPropertyPage* page;
  kelto::com::ComPtr<CPageSite> site;
  CQtDialogHost* host;
};

// Makes the dialog transient for the host's window, so that the window
// manager keeps it above that window. A window of another toolkit is known to
// Qt only through the X11 platform; elsewhere the dialog stays on its own.
// The returned foreign window must outlive the dialog's showing.
std::unique_ptr<QWindow> OwnDialog(QDialog& dialog, const KeltoPropertySheetRequest& request) {
  const bool given = request.cb >= offsetof(KeltoPropertySheetRequest, ownerWindow) +
                                      sizeof request.ownerWindow &&
                     request.ownerWindow != 0;
  if (!given || QGuiApplication::platformName() != QStringLiteral("xcb")) return nullptr;
  const unsigned long top = TopLevelWindowOf(request.ownerWindow);
  if (!top) return nullptr;
  std::unique_ptr<QWindow> owner(QWindow::fromWinId(static_cast<WId>(top)));
  if (!owner) return nullptr;
  dialog.winId();  // makes the dialog's own window
  if (QWindow* window = dialog.windowHandle()) window->setTransientParent(owner.get());
  return owner;
}

int RunSheet(const KeltoPropertySheetRequest& request) {
  const QString caption = QString::fromUtf16(request.caption ? request.caption : u"");
  QDialog dialog;
  dialog.setWindowTitle(caption);
  auto* layout = new QVBoxLayout(&dialog);
  auto* tabs = new QTabWidget(&dialog);
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &dialog);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
  QPushButton* apply = buttons->button(QDialogButtonBox::Apply);
  // Some platform themes give the button no mnemonic; Alt+A applies anyway.
  apply->setText(QStringLiteral("&Apply"));
  apply->setEnabled(false);

  std::vector<Page> pages;
  for (ULONG i = 0; i < request.pageCount; ++i) {
    IPropertyPage* page = request.pages[i];
    auto site = kelto::com::MakeObject<CPageSite>(request.locale, [apply] { apply->setEnabled(true); });
    page->SetPageSite(site.Get());
    PROPPAGEINFO info{};
    QString title = QStringLiteral("Page %1").arg(i + 1);
    if (SUCCEEDED(page->GetPageInfo(&info))) {
      if (info.pszTitle) title = QString::fromUtf16(info.pszTitle);
      CoTaskMemFree(info.pszTitle);
      CoTaskMemFree(info.pszDocString);
      CoTaskMemFree(info.pszHelpFile);
    }
    auto* host = new CQtDialogHost(tabs);
    tabs->addTab(host, title);
    const RECT rect{0, 0, info.size.cx, info.size.cy};
    if (FAILED(page->Activate(HostToHwnd(static_cast<kelto::dialog::IFDialogHost*>(host)),
                              &rect, TRUE)))
      throw std::runtime_error(LastError("a page could not be shown."));
    pages.push_back({page, site, host});
  }

  // Applies the pages with changes; false (after telling the person) when
  // one of them fails.
  const auto applyAll = [&] {
    for (const Page& p : pages) {
      if (p.page->IsPageDirty() != S_OK) continue;
      if (FAILED(p.page->Apply())) {
        QMessageBox::warning(&dialog, caption, QString::fromStdString(LastError("Apply failed.")));
        return false;
      }
    }
    apply->setEnabled(false);
    return true;
  };
  QObject::connect(apply, &QPushButton::clicked, &dialog, [&] { applyAll(); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    if (applyAll()) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  const std::unique_ptr<QWindow> owner = OwnDialog(dialog, request);
  const int result = dialog.exec();
  if (owner && dialog.windowHandle()) dialog.windowHandle()->setTransientParent(nullptr);
  for (const Page& p : pages) {
    p.page->Deactivate();
    p.page->SetPageSite(nullptr);
  }
  return result;
}

void CopyError(const std::string& message, char* error, std::size_t size) {
  if (!error || size == 0) return;
  std::strncpy(error, message.c_str(), size - 1);
  error[size - 1] = '\0';
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT KeltoShowPropertySheet(
    const KeltoPropertySheetRequest* request, char* error, std::size_t errorSize) {
  try {
    if (!request || request->cb < sizeof(KeltoPropertySheetRequest) ||
        (request->pageCount && !request->pages))
      throw std::invalid_argument("the request is malformed.");
    // Inside a Qt host the host's application object runs the dialog;
    // elsewhere the plugin makes one for as long as the dialog is open.
    std::unique_ptr<QApplication> own;
    if (QCoreApplication* app = QCoreApplication::instance()) {
      if (!qobject_cast<QApplication*>(app))
        throw std::runtime_error(
            "the host's Qt application object is not a QApplication, which dialogs need.");
    } else {
      CheckDisplay();
      static int argc = 1;
      static char name[] = "kelto3d";
      static char* argv[] = {name, nullptr};
      own = std::make_unique<QApplication>(argc, argv);
    }
    return RunSheet(*request) == QDialog::Accepted ? S_OK : S_FALSE;
  } catch (const std::exception& e) {
    CopyError(e.what(), error, errorSize);
  } catch (...) {
    CopyError("the dialog failed.", error, errorSize);
  }
  return E_FAIL;
}
