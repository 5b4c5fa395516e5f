// Kelto3DWidget: the 3D view control as a Qt widget, for any Qt 6 Widgets
// program.
//
// The widget is a native child window; once shown it asks the runtime's
// ready-made container for the control by ProgID inside that window, pumps
// the control's display connection from Qt's event loop (a socket notifier
// on the descriptor the control gives), listens to the control's events
// through a sink and re-emits them as Qt signals. Files dropped on the
// widget are handed to the control as a drop message, so they come back as
// DropFile events like a drop on any host's view would.
//
// The control's classes must be reachable when the widget is first shown:
// libkelto3d.so loaded into the process (dlopen) or registered. Everything
// else goes through the control's own interfaces (control(), view()).
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "kelto3d/View.h"
#include "platform/com/ComPtr.h"

class QSocketNotifier;

class Kelto3DWidget : public QWidget {
  Q_OBJECT

 public:
  using Object = kelto::com::ComPtr<IUnknown>;

  explicit Kelto3DWidget(QWidget* parent = nullptr);
  // Takes the control down (its window goes) while the widget's window is
  // still there.
  ~Kelto3DWidget() override;

  // Makes the control now if it is not made yet (the widget's native window
  // is created for it). False, with errorText(), when it cannot be made.
  bool ensureControl();
  bool hasControl() const { return static_cast<bool>(m_control); }
  QString errorText() const { return m_error; }
  // The control (IUnknown) and its main interface; null before ensureControl.
  IUnknown* control() const { return m_control.Get(); }
  kelto3d::IPipeline3DViewCtrl* view() const { return m_view.Get(); }
  // How long the last pump of the control's connection that drew took, in
  // milliseconds (what the user waits for a frame).
  double lastFrameMs() const { return m_lastFrameMs; }

  QPaintEngine* paintEngine() const override { return nullptr; }

 Q_SIGNALS:
  void controlCreated();
  // Either object may be null: (previous, null) then (null, picked).
  void selectionChanged(Object unselected, Object selected);
  void fileDropped(const QString& path);
  // pos in widget coordinates (y downwards); items is a PipeItems, nearest
  // first, possibly empty.
  void popupMenuRequested(const QPoint& pos, Object items);
  void viewChanged();
  void framePainted(double milliseconds);

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent*) override {}
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  static void OnEvent(void* context, DISPID dispid, const DISPPARAMS* params);
  void pump();
  void takeDown();

  Object m_control;
  kelto::com::ComPtr<kelto3d::IPipeline3DViewCtrl> m_view;
  DWORD m_cookie = 0;
  QSocketNotifier* m_notifier = nullptr;
  QString m_error;
  bool m_viewChangedSincePump = false;
  double m_lastFrameMs = 0.0;
};
