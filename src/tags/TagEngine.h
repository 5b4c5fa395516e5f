// CTagEngine: named text values (tags) computed for an automation object
// from an XML rule set. docs/tag-engine.md has the format and an example.
//
//   CTagEngine engine;
//   std::vector<std::string> messages;
//   engine.SetSpec(xml, messages);          // problems become messages
//   CTagEngine::TagMap tags = engine.GetTags(point);   // never throws for a rule
//
// Aspects read a value from the object along a dotted member path
// ("OwnerComponent.Attributes("SPINDLE-DIRECTION").Value"), called through
// IDispatch::GetIDsOfNames/Invoke. Lookups test aspects against expected
// values (exactly, or as regular expressions) and, when every test passes,
// assign tags and go on to their nested lookups.
//
// Contracts:
//  - SetSpec adds to what earlier calls loaded; faults in the text are
//    reported as messages (exact texts in the .cpp) and the valid parts stay.
//  - GetTags gives a tag set for every object. An aspect that cannot be
//    evaluated (a member the object does not have, a call that fails, a path
//    that runs into a value that is not an object) makes every condition on
//    it fail; the failure is remembered like a value, so the member is not
//    called again while the same top-level lookup is evaluated; the other
//    lookups go on. Aspect values are cached per top-level lookup.
//  - One GetTags is bounded in work (SetWorkLimit; one unit per condition
//    tested, per member called and per regular-expression step), so no rule
//    set can hold the host's thread long. Reaching the bound ends the
//    evaluation there: the tags assigned so far are returned and the reason
//    is an evaluation error. A back-reference expression that exhausts its
//    own step budget is an evaluation error too (its condition fails), never
//    a silent "no match". The errors of the last GetTags are in
//    EvaluationErrors(), each naming the lookup's aspect and expression.
//  - Only running out of memory escapes GetTags (as std::bad_alloc or
//    _com_error(E_OUTOFMEMORY)); the scripting face turns that into an HRESULT.
//  - Single-threaded: a const GetTags still fills the regular-expression cache
//    of its conditions, so one engine must not be used by two threads at once.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/WrappedClass.h"
#include "platform/com/Interfaces.h"
#include "platform/com/Variant.h"
#include "tags/RegExp.h"
#include "tags/TagExpression.h"

namespace kelto::xml {
class Node;
}

class CTagEngine : public CWrappedClass {
 public:
  // Tag name → value, ordered by name.
  using TagMap = std::map<std::string, std::string>;

  class Aspect {
   public:
    // A fault in the rule set; what() is the message.
    class config_error : public std::runtime_error {
     public:
      using std::runtime_error::runtime_error;
    };
    // A fault while evaluating on an object; what() says which member failed.
    class eval_error : public std::runtime_error {
     public:
      using std::runtime_error::runtime_error;
    };

    Aspect(std::string name, std::string expression, bool regExp);
    // Reads an Aspect element: "Name" and "Expression" are required
    // (config_error "Unnamed attribute." / "Missing expression."), "MatchType"
    // "RegExp" selects regular-expression matching.
    explicit Aspect(const kelto::xml::Node& element);

    const std::string& Name() const { return m_name; }
    const std::string& Expression() const { return m_expression; }
    bool IsRegExp() const { return m_regExp; }
    std::size_t SegmentCount() const { return m_segments.size(); }

    // Calls the expression's members starting from object; the last result
    // (by-reference results read through). An empty expression gives the
    // object itself. Throws eval_error.
    _variant_t Evaluate(IDispatch* object) const;

   private:
    std::string m_name;
    std::string m_expression;
    bool m_regExp = false;
    std::vector<kelto::tags::ExpressionSegment> m_segments;
  };

  // Loads rules from XML text (UTF-8) and appends each problem to messages.
  void SetSpec(std::string_view xml, std::vector<std::string>& messages);

  // The tags of object (which may be null: then no aspect can be evaluated,
  // and only lookups without conditions assign tags).
  TagMap GetTags(IDispatch* object) const;

  // Work units one GetTags may spend (see the contracts above). The default
  // is about a tenth of a second of matching on this class of machine; real
  // rule sets use a tiny fraction of it.
  static constexpr std::size_t kDefaultWorkLimit = 5'000'000;
  void SetWorkLimit(std::size_t units) { m_workLimit = units; }
  std::size_t WorkLimit() const { return m_workLimit; }
  // What the last GetTags found wrong while evaluating, and the work it did.
  const std::vector<std::string>& EvaluationErrors() const { return m_evaluationErrors; }
  std::size_t WorkDone() const { return m_workDone; }

  const std::map<std::string, Aspect>& Aspects() const { return m_aspects; }

 private:
  struct Condition {
    std::string aspect;
    std::string expected;
    // The expected text compiled as a regular expression, on first use: an
    // empty optional inside means it does not compile.
    mutable std::optional<std::optional<kelto::tags::RegExp>> compiled;
  };
  // The lookup tree is kept flat (children by index) and walked with an
  // explicit stack, so that a rule set nested thousands of levels deep cannot
  // exhaust the call stack when it is read, evaluated or destroyed.
  struct LookupNode {
    std::vector<Condition> conditions;
    TagMap tags;
    std::vector<std::size_t> children;
  };
  // Aspect name → value, or nullopt when the evaluation failed.
  using Cache = std::map<std::string, std::optional<_variant_t>, std::less<>>;

  std::size_t ReadLookup(const kelto::xml::Node& element, std::vector<std::string>& messages);
  bool Holds(const Condition& condition, IDispatch* object, Cache& cache,
             std::size_t& allowance) const;

  std::map<std::string, Aspect> m_aspects;
  std::vector<LookupNode> m_lookups;  // every lookup node, at any depth
  std::vector<std::size_t> m_roots;   // the top-level lookups, in order
  std::size_t m_workLimit = kDefaultWorkLimit;
  mutable std::vector<std::string> m_evaluationErrors;
  mutable std::size_t m_workDone = 0;
};
