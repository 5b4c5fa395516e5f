// The model tree panel: file → pipelines → components, read from the piping
// objects by name. Components of a pipeline are listed when the pipeline is
// first opened (or one of them is selected), so a plant of a hundred
// thousand components opens at once. Every row has a check box: unticking it
// hides that file, pipeline or component in the view; ticking shows it again.
// A last row, "Component types", lists the types of every open file (when
// opened): unticking a type hides all its components.
#pragma once

#include <QHash>
#include <QTreeWidget>

#include "Automation.h"

class ModelTreePanel : public QTreeWidget {
  Q_OBJECT

 public:
  using Object = viewer::ComPtr<IUnknown>;

  explicit ModelTreePanel(QWidget* parent = nullptr);

  // Lists a file (the file object, as loaded) under its path; a file listed
  // before is listed again in its place (after a reload).
  void addFile(const QString& path, const QString& representation, IUnknown* file);
  void removeFile(IUnknown* file);
  void clearFiles();

  // The row of an object (any interface of it); the pipeline's components
  // are listed first when a component is asked for. Null when not listed.
  QTreeWidgetItem* itemFor(IUnknown* object);
  // The object of a row (its identity).
  IUnknown* objectOf(const QTreeWidgetItem* item) const;
  // Marks the rows of these objects selected, and only them, without
  // reporting it as the user's selection.
  void showSelection(const QList<Object>& objects);
  // Ticks every row (after "show all") or the rows of the visible objects.
  void setAllChecked(bool checked);
  void setChecked(IUnknown* object, bool checked);
  // The number of components listed in the files (counted on load).
  int componentCount() const { return m_components; }
  int fileCount() const { return topLevelItemCount() - (m_typesRow ? 1 : 0); }
  // The row of a component type (listing the types first); null if none.
  QTreeWidgetItem* typeRow(const QString& type);

 Q_SIGNALS:
  // The user selected rows (component, pipeline or file objects).
  void selectionPicked(const QList<Object>& objects);
  // The user ticked or unticked a row.
  void visibilityToggled(Object object, bool visible);
  // The user ticked or unticked a component type: its components.
  void typeToggled(const QList<Object>& components, bool visible);

 private:
  QTreeWidgetItem* addRow(QTreeWidgetItem* parent, const QString& name, const QString& type,
                          IUnknown* object);
  void listComponents(QTreeWidgetItem* pipelineItem);
  void listTypes();
  void forgetTypes();
  void forget(QTreeWidgetItem* item);
  void onItemChanged(QTreeWidgetItem* item, int column);
  void onSelectionChanged();

  struct Row {
    Object Target;
    QTreeWidgetItem* Item = nullptr;
  };
  QHash<IUnknown*, Row> m_rows;  // by identity
  int m_components = 0;
  QTreeWidgetItem* m_typesRow = nullptr;
  QHash<QString, QList<Object>> m_types;
  bool m_quiet = false;
};
