// The mouse bindings of the view, edited through the control's action
// tables (MouseDragActions, MouseClickActions, MouseDoubleClickActions,
// MouseWheelActions) and kept in the viewer's settings.
#pragma once

#include <QDialog>
#include <QList>

#include "kelto3d/ActionTables.h"

class QTableWidget;

namespace viewer {

struct Binding {
  enum Gesture { Drag = 0, Click = 1, DoubleClick = 2, Wheel = 3 } What = Drag;
  unsigned Keys = 0;  // MouseKeys bits
  int Action = 0;     // the table's action value
  bool operator==(const Binding&) const = default;
};

class MouseBindings {
 public:
  // What the view binds when it is made.
  static QList<Binding> Defaults();
  // The tables' bindings now, ordered by gesture and keys.
  static QList<Binding> Read(IUnknown* control);
  // Replaces every table's bindings; false with *error (the table's own
  // message) when one cannot be bound — the tables keep what was bound.
  static bool Write(IUnknown* control, const QList<Binding>& bindings, QString* error);
  // The bindings the user chose last (applied to the view), if any.
  static void Load(IUnknown* control);
  static void Save(const QList<Binding>& bindings);
  // "drag:5=1" and back (false for a malformed text).
  static QString ToText(const Binding& b);
  static bool FromText(const QString& text, Binding* b);
  // "Shift+Left" and the like.
  static QString KeysText(unsigned keys);
  static QStringList ActionNames(Binding::Gesture gesture);
};

// The preferences page: one row per binding, add, remove, reset to
// defaults; OK writes the tables and saves.
class MouseBindingsDialog : public QDialog {
  Q_OBJECT

 public:
  MouseBindingsDialog(IUnknown* control, QWidget* parent = nullptr);
  QList<Binding> bindings() const;
  void setBindings(const QList<Binding>& bindings);

 protected:
  void accept() override;

 private:
  void addRow(const Binding& b);
  IUnknown* m_control;
  QTableWidget* m_table;
};

}  // namespace viewer
