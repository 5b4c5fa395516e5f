// COptions: a component's tunable settings, reachable by name.
//
// The registry stores no values of its own. Each entry is a typed view onto a
// variable of the owner (the renderer, a model builder), so the owner reads
// its settings directly with no lookup, while scripts, the host and the
// settings persistence read and write them by name through VARIANTs:
//
//   class CRenderer : public sigslot::has_slots<> {
//     COptions m_options;
//     int m_edges;
//     CRenderer() {
//       m_options.changedSignal.connect(this, &CRenderer::OnOptionsChanged);
//       m_edges = 16;                       // default, assigned before registering
//       m_options.AddOption("Edges", &m_edges);
//     }
//   };
//
// Contracts:
// - An option never owns its variable; the owner must outlive the registry's
//   entries (owners embed their COptions). For the same reason a registry can
//   be neither copied nor moved: a copy would still point into the original
//   owner.
// - Names compare byte-wise and case-sensitively; the map keeps them in that
//   order, which is the order of every contents array.
// - Every change made through the registry (Set, SetContents) is announced
//   through changedSignal with the set of names touched, unless deferred (see
//   SetDeferred). A value that does not convert to the option's type leaves
//   the variable as it was, but the name is still announced: the caller did
//   ask for a change, and receivers re-reading an unchanged value is harmless.
// - Get and Set of a name that was never registered throw std::out_of_range
//   naming the option and change nothing (no value, no notice, no flag).
// - Receivers run synchronously inside Set, SetContents, NotifyChanged or the
//   SetDeferred call that ends a batch, on the component's one thread.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "core/CountedPtr.h"
#include "core/Signals.h"
#include "core/WrappedClass.h"
#include "platform/com/Variant.h"

class COptions : public CWrappedClass {
 public:
  // One registered option: a typed view onto the owner's variable.
  class Option {
   public:
    virtual ~Option() = default;
    // Inserts the value into a text stream: a bool as 1 or 0, numbers in the
    // stream's default formatting.
    virtual void Write(std::ostream& out) const = 0;
    // Stores the value into `value` (an initialised VARIANT whose old content
    // is cleared first). May throw when the value cannot be represented in
    // the option's VARIANT type (see OptionImpl<long>).
    virtual void GetValue(VARIANT& value) const = 0;
    // Converts `value` to the option's type and stores it in the variable. A
    // value that does not convert is ignored: the variable keeps its previous
    // value and nothing is thrown.
    virtual void SetValue(const VARIANT& value) = 0;

   protected:
    Option() = default;
    Option(const Option&) = default;
    Option& operator=(const Option&) = default;
  };

  // The option types, with their VARIANT forms:
  //   bool   VT_BOOL (-1 true, 0 false); SetValue converts to VT_BOOL and
  //          takes any non-zero value as true
  //   float  VT_R4
  //   int    VT_I4
  //   long   VT_I4. C++ long is 64 bits on Linux, the scripting integer 32:
  //          SetValue converts to VT_I4 (so a stored value always fits), and
  //          GetValue of a value the owner set beyond 32 bits throws
  //          kelto::com::HResultError(DISP_E_OVERFLOW) rather than handing
  //          out a silently truncated number.
  template <class T>
  class OptionImpl final : public Option {
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, float> || std::is_same_v<T, int> ||
                      std::is_same_v<T, long>,
                  "options are bool, float, int or long");

   public:
    explicit OptionImpl(T* variable) : m_variable(variable) {}

    void Write(std::ostream& out) const override;
    void GetValue(VARIANT& value) const override;
    void SetValue(const VARIANT& value) override;

    T* Variable() const { return m_variable; }

   private:
    T* m_variable;
  };

  using OptionPtr = cptr::counted_ptr<Option, 0>;
  using Names = std::set<std::string>;

  COptions() = default;
  COptions(const COptions&) = delete;
  COptions& operator=(const COptions&) = delete;
  virtual ~COptions();

  // Registers `variable` under `name`, replacing an earlier entry of that
  // name. Owners assign the default to the variable just before. No notice
  // is sent. A null variable throws std::invalid_argument.
  template <class T>
  void AddOption(const std::string& name, T* variable) {
    if (!variable) ThrowNullVariable(name);
    m_options[name] = OptionPtr(new OptionImpl<T>(variable));
    m_ranges.erase(name);
  }

  // The values the owner accepts for a number option, both ends included.
  // Input from a person (the command line) is checked against it before it
  // is set; Set itself does not check. Throws std::out_of_range for an
  // unregistered name; registering the name again removes the range.
  struct Range {
    double min;
    double max;
  };
  void SetRange(const std::string& name, double min, double max);
  // The option's range; nullopt when it has none.
  std::optional<Range> GetRange(const std::string& name) const;

  // The value of a registered option. Throws std::out_of_range for an
  // unregistered name; passes on what the option's GetValue throws.
  _variant_t Get(const std::string& name) const;

  // Sets a registered option (converting the value to its type; a value that
  // does not convert is ignored) and announces {name}. Throws
  // std::out_of_range for an unregistered name, changing nothing.
  void Set(const std::string& name, const VARIANT& value);

  // The whole registry as a contents array: VT_ARRAY | VT_VARIANT, one
  // dimension, lower bound 0, 2 × n elements in ascending byte-wise name
  // order; element 2i is the name (VT_BSTR), 2i + 1 the value as GetValue
  // gives it.
  _variant_t GetContents() const;

  // Applies a contents array (VT_ARRAY | VT_VARIANT, also by reference, one
  // dimension, any lower bound, an even number of elements), pair by pair in
  // array order: a registered name gets its value (converted by the option),
  // a name (converted to text) that is not registered, or that does not
  // convert to text, is skipped silently. Then one notice names every option that was set. Anything that
  // is not such an array throws std::invalid_argument before any value
  // changes.
  void SetContents(const VARIANT& contents);

  // Announces changes: an empty set does nothing; otherwise the set is
  // emitted (or, while deferred, collected) and the modified flag is set.
  // Owners that change one of their registered variables directly call this.
  void NotifyChanged(const Names& names);

  // Starts (true) or ends (false) a batch. While deferred, notices are
  // collected; ending the batch emits them once, each name once. Ending a
  // batch with nothing collected emits nothing.
  void SetDeferred(bool deferred);
  bool IsDeferred() const { return m_deferred; }

  // Set whenever a change was announced or collected; the persistence of the
  // Options object reads and clears it.
  bool IsModified() const { return m_modified; }
  void SetModified(bool modified) { m_modified = modified; }

  // The registered option of that name, or null.
  Option* Find(const std::string& name) const;
  std::size_t Count() const { return m_options.size(); }
  // The registered names in byte-wise order.
  std::vector<std::string> GetNames() const;

  // Receivers connect here; it carries the names of the changed options.
  sigslot::signal1<Names> changedSignal;

 private:
  [[noreturn]] static void ThrowNullVariable(const std::string& name);
  Option& Lookup(const std::string& name) const;

  std::map<std::string, OptionPtr> m_options;
  std::map<std::string, Range> m_ranges;
  bool m_modified = false;
  bool m_deferred = false;
  Names m_pending;
};

// The four option types are compiled once, in Options.cpp.
extern template class COptions::OptionImpl<bool>;
extern template class COptions::OptionImpl<float>;
extern template class COptions::OptionImpl<int>;
extern template class COptions::OptionImpl<long>;
