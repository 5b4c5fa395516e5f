// A settings page's dialog, described without a toolkit, and the host that
// realises it in one.
//
// The page (CRendererPage) owns the description and the behaviour; the dialog
// host, written once per toolkit (plugins/qt), turns the description into
// widgets, reports what the person changes, and reads and writes the
// controls by id. So the page's rules are tested with a host that is a plain
// table, and the module never links a toolkit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelto::dialog {

enum class ControlKind {
  // An editable drop-down list: a text field that offers `Items` and also
  // takes typed text.
  ComboBox,
  // A check box labelled `Text`.
  CheckBox,
};

struct CControl {
  int Id = 0;
  ControlKind Kind = ControlKind::ComboBox;
  std::string Text;                // check box caption
  std::vector<std::string> Items;  // offered values of a drop-down list
};

// A labelled line of a group: the label, then its controls side by side.
struct CRow {
  std::string Label;  // may be empty (a check box that carries its own caption)
  std::vector<CControl> Controls;
};

// A framed group. Groups are placed in a grid of Column × GridRow cells.
struct CGroup {
  std::string Title;
  int Column = 0;
  int GridRow = 0;
  std::vector<CRow> Rows;
};

struct CDialogTemplate {
  int Id = 0;
  // The dialog's size in dialog units (a quarter of the font's average
  // character width, an eighth of its height); hosts may lay out to fit
  // their fonts instead.
  int WidthDU = 0;
  int HeightDU = 0;
  std::vector<CGroup> Groups;
};

// The host tells the page about changes the person made.
class IFDialogEvents {
 public:
  virtual void OnControlChanged(int id) = 0;

 protected:
  ~IFDialogEvents() = default;
};

// A dialog in a toolkit. Ids that are not in the template are ignored (reads
// give "" and false).
class IFDialogHost {
 public:
  // Makes the controls of the template (replacing any made before); changes
  // the person makes go to events until Destroy. Changes made through the
  // setters below are not reported.
  virtual void Create(const CDialogTemplate& dialog, IFDialogEvents* events) = 0;
  virtual void Destroy() = 0;
  // Fills a drop-down list with the values it offers.
  virtual void SetItems(int id, const std::vector<std::string>& items) = 0;
  // Lets only text that IsDigitsOnly accepts be typed into the field.
  virtual void SetDigitsOnly(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  // The field's text, cut to at most maxChars characters.
  virtual std::string GetText(int id, std::size_t maxChars) const = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  virtual bool GetCheck(int id) const = 0;

 protected:
  ~IFDialogHost() = default;
};

// The rule of a digits-only field: decimal digits and nothing else (the empty
// text included, so a field can be cleared). Inline: toolkit plugins use it
// without linking the module.
inline bool IsDigitsOnly(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace kelto::dialog
