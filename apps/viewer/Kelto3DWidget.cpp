#include "Kelto3DWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QUrl>

#include <string>
#include <vector>

#include "X11Display.h"
#include "kelto3d/AxHost.h"

namespace {

const char kProgId[] = "Oxbay3Support.Pipeline3DViewCtrl";

QString HrText(HRESULT hr) { return QStringLiteral("0x%1").arg(static_cast<uint>(hr), 8, 16, QChar('0')); }

}  // namespace

Kelto3DWidget::Kelto3DWidget(QWidget* parent) : QWidget(parent) {
  // A window of its own that Qt never paints: the control's GL child window
  // covers it.
  setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_PaintOnScreen);
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(64, 64);
}

Kelto3DWidget::~Kelto3DWidget() { takeDown(); }

void Kelto3DWidget::takeDown() {
  delete m_notifier;
  m_notifier = nullptr;
  if (!m_control) return;
  if (m_cookie) KeltoAxUnadvise(m_control.Get(), &kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(), m_cookie);
  m_cookie = 0;
  KeltoAxDestroyControl(m_control.Get());
  m_view.Reset();
  m_control.Reset();
}

bool Kelto3DWidget::ensureControl() {
  if (m_control) return true;
  if (!m_error.isEmpty()) return false;
  const WId window = winId();
  // The control's own connection must see the window Qt just asked for.
  const std::string display = viewer::SyncQtDisplay();
  IUnknown* control = nullptr;
  const HRESULT hr = KeltoAxCreateControl(kProgId, display.empty() ? nullptr : display.c_str(),
                                          static_cast<unsigned long>(window), &control);
  if (hr < 0 || !control) {
    m_error = tr("The 3D view (%1) could not be created (error %2). Is libkelto3d.so installed?")
                  .arg(QString::fromLatin1(kProgId), HrText(hr));
    return false;
  }
  m_control = Object::Adopt(control);
  m_view = m_control.As<kelto3d::IPipeline3DViewCtrl>();
  KeltoAxAdvise(control, &kelto::com::IidOf<kelto3d::_IPipeline3DViewCtrlEvents>(), &Kelto3DWidget::OnEvent,
                this, &m_cookie);
  int fd = -1;
  if (KeltoAxGetConnectionNumber(control, &fd) >= 0 && fd >= 0) {
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Kelto3DWidget::pump);
  }
  pump();  // once after creation, as the pump asks
  Q_EMIT controlCreated();
  return true;
}

void Kelto3DWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ensureControl();
}

void Kelto3DWidget::pump() {
  if (!m_control) return;
  QElapsedTimer timer;
  timer.start();
  m_viewChangedSincePump = false;
  KeltoAxDispatchPending(m_control.Get());
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  // A pump that took a while drew a frame; input alone is a few microseconds.
  if (ms >= 1.0 || m_viewChangedSincePump) {
    m_lastFrameMs = ms;
    Q_EMIT framePainted(ms);
  }
}

void Kelto3DWidget::OnEvent(void* context, DISPID dispid, const DISPPARAMS* p) {
  auto* self = static_cast<Kelto3DWidget*>(context);
  const auto object = [&](UINT i) {
    const VARIANT& v = p->rgvarg[i];
    return (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) ? Object(v.punkVal) : Object();
  };
  switch (dispid) {
    case kelto3d::kDispidEventSelectionChanged:
      if (p->cArgs == 2) Q_EMIT self->selectionChanged(object(1), object(0));
      break;
    case kelto3d::kDispidEventDropFile:
      if (p->cArgs == 1 && p->rgvarg[0].vt == VT_BSTR) {
        const BSTR name = p->rgvarg[0].bstrVal;
        Q_EMIT self->fileDropped(QString::fromUtf16(name, SysStringLen(name)));
      }
      break;
    case kelto3d::kDispidEventPopupMenu:
      if (p->cArgs == 3) {
        // MouseY counts from the bottom of the view.
        const QPoint pos(p->rgvarg[2].lVal, self->height() - p->rgvarg[1].lVal);
        Q_EMIT self->popupMenuRequested(pos, object(0));
      }
      break;
    case kelto3d::kDispidEventViewChanged:
      self->m_viewChangedSincePump = true;
      Q_EMIT self->viewChanged();
      break;
    default: break;
  }
}

void Kelto3DWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Kelto3DWidget::dropEvent(QDropEvent* event) {
  std::vector<std::string> names;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) names.push_back(url.toLocalFile().toStdString());
  if (names.empty() || !m_control) return;
  event->acceptProposedAction();
  std::vector<const char*> files;
  for (const std::string& n : names) files.push_back(n.c_str());
  kelto3d::WindowMessageRecord record{};
  record.Kind = kelto3d::wmkDropFiles;
  record.FileCount = static_cast<ULONG>(files.size());
  record.Files = files.data();
  if (const auto windowed = m_control.As<kelto3d::IPipeline3DViewWindowless>())
    windowed->OnWindowMessage(&record);
}
