// CCSSGBLibrary: the library of symbolic component builders, chosen through
// named filters.
//
// Each filter looks at a component and names one builder for it or none.
// FindBuilders asks every filter, from the most recently added to the first,
// and returns the builders that were named in that order: most specific
// first. The caller tries them in turn until one draws the component (Build
// does exactly that).
//
// Keys and filter names are byte strings compared exactly (case-sensitive).
// A filter whose key lookup fails on the piping object throws _com_error out
// of FindBuilders.
#pragma once

#include <exception>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/CountedPtr.h"
#include "kelto/Piping.h"
#include "symbolic/ComponentSSGBuilder.h"

class CCSSGBLibrary {
 public:
  // A filter name added twice or removed when absent. It carries nothing but
  // derives from std::exception so every scripting boundary reports it.
  class BadKey : public std::exception {
   public:
    const char* what() const noexcept override { return "Bad Key"; }
  };

  class IFFilter {
   public:
    using Ptr = cptr::counted_ptr<IFFilter>;
    virtual ~IFFilter() = default;
    // The builder this filter names for the component, or null.
    virtual CComponentSSGBuilder::Ptr GetBuilder(IKeltoComponent* component) = 0;
  };

  // A filter that maps a key computed from the component to a builder.
  class SimpleFilter : public IFFilter {
   public:
    // The mapped builder, or null when the key is absent (exact match).
    CComponentSSGBuilder::Ptr GetBuilder(IKeltoComponent* component) override;
    virtual std::string GetKey(IKeltoComponent* component) = 0;
    // Stores builder under key, replacing an earlier builder of that key.
    void AddBuilder(const std::string& key, CComponentSSGBuilder::Ptr builder);
    const std::map<std::string, CComponentSSGBuilder::Ptr>& Builders() const { return m_builders; }

   private:
    std::map<std::string, CComponentSSGBuilder::Ptr> m_builders;
  };

  // Keyed by the TypeName of the component's Details ("Control-Valve").
  class ComponentTypeFilter : public SimpleFilter {
   public:
    std::string GetKey(IKeltoComponent* component) override;
  };

  // Keyed by the GroupName of the component's Details ("Valves").
  class GroupFilter : public SimpleFilter {
   public:
    std::string GetKey(IKeltoComponent* component) override;
  };

  // Names the same builder for every component.
  class DefaultFilter : public IFFilter {
   public:
    explicit DefaultFilter(CComponentSSGBuilder::Ptr builder) : m_builder(std::move(builder)) {}
    CComponentSSGBuilder::Ptr GetBuilder(IKeltoComponent* component) override;

   private:
    CComponentSSGBuilder::Ptr m_builder;
  };

  using BuilderList = std::vector<CComponentSSGBuilder::Ptr>;

  CCSSGBLibrary() = default;
  CCSSGBLibrary(const CCSSGBLibrary&) = delete;
  CCSSGBLibrary& operator=(const CCSSGBLibrary&) = delete;
  virtual ~CCSSGBLibrary() = default;

  // Adds the filter under name at the end of the list; BadKey (and no change)
  // when the name is taken.
  void AddFilter(std::string name, IFFilter::Ptr filter);
  // Removes the named filter; BadKey when there is none of that name.
  void RemoveFilter(const std::string& name);
  // The named filter, or null.
  IFFilter::Ptr Filter(const std::string& name) const;
  // The filter names in the order the filters were added.
  std::vector<std::string> FilterNames() const;

  // The candidates for the component: one per filter that answered, from the
  // last filter added to the first. The same builder named by two filters
  // appears twice.
  BuilderList FindBuilders(IKeltoComponent* component) const;

  // Tries the candidates in order and returns true at the first whose Build
  // returns true; false when none drew the component (it then has no
  // primitives; that is not an error).
  bool Build(const CComponentInfo& info, CComponentSSGBuilder::IFGraphicsBuilder& gb) const;

 private:
  struct Entry {
    std::string name;
    IFFilter::Ptr filter;
  };
  std::map<std::string, IFFilter::Ptr> m_byName;
  std::list<Entry> m_filters;
};
