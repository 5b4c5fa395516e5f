// The selection panel: each selected component with what its piping object
// tells about it — id, type and group, pipeline, its attributes, its end
// points (position, bore, end type) — all read by name through IDispatch.
#pragma once

#include <QTreeWidget>

#include "Automation.h"

class SelectionPanel : public QTreeWidget {
  Q_OBJECT

 public:
  using Object = viewer::ComPtr<IUnknown>;

  explicit SelectionPanel(QWidget* parent = nullptr);

  // Shows these objects (nearest or first selected first).
  void showObjects(const QList<Object>& objects);
  // The value of a property row of the first shown object ("" when absent),
  // for the status bar and the popup menu's "copy tag".
  QString valueOf(const QString& property) const;

  // Rows describing one component: (property, value), nested rows for
  // attributes and points flattened as "Attributes/NAME" and "Point NAME".
  static QList<QPair<QString, QString>> Describe(IUnknown* component);
};
