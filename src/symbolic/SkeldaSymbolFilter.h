// CSkeldaSymbolFilter: the symbol library of a symbolic model builder — the
// loaded symbol library files, searched most recently added first, and the
// library filter that names a CSkeldaSymbolCSSGB for a component whose
// symbol key a loaded file answers and whose type the symbol may draw.
//
// Acceptance goes through the piping-data library's symbol catalogue
// (docs/symbol-catalogue.md): the component type's symbol class (the second
// string of DescribeType) must be among the classes the symbol's OldSKEY
// (with its variant) lists; a key that lists nothing accepts every type. A
// key shorter than four characters that finds nothing is tried again padded
// with "*", so a family key "VA" answers as "VA**".
//
// Failure rules:
//  - AddFile of a file that cannot be opened, cannot be read, or holds a
//    malformed 501/502 line throws (std::runtime_error / std::out_of_range,
//    the message naming the file and, for a bad line, the line number) and
//    adds nothing: the files already loaded and their order are unchanged.
//  - GetBuilder of a component without Details, or acceptance when the
//    catalogue could not be created, throws _com_error(E_POINTER); a failing
//    catalogue or piping call throws _com_error with its HRESULT.
//  - With no file loaded GetBuilder answers null without asking the component
//    anything, so an empty symbol library costs nothing per component.
#pragma once

#include <list>
#include <map>
#include <string>
#include <string_view>

#include "core/CountedPtr.h"
#include "kelto/Piping.h"
#include "platform/com/ComPtr.h"
#include "symbolic/CSSGBLibrary.h"
#include "symbolic/SkeldaSymbols.h"

class CSkeldaSymbolFilter : public CCSSGBLibrary::IFFilter,
                            public cptr::counted<CSkeldaSymbolFilter> {
 public:
  // Counted intrusively so that the same object can also be held as the
  // library's IFFilter::Ptr.
  using Ptr = cptr::counted_ptr<CSkeldaSymbolFilter, 1>;

  // Creates the catalogue object (null when it cannot be created: acceptance
  // then fails with E_POINTER once a symbol has been found).
  CSkeldaSymbolFilter();
  // Uses the given catalogue (may be null); for hosts and tests that bring
  // their own.
  explicit CSkeldaSymbolFilter(kelto::com::ComPtr<IKeltoSymbolCatalogue> catalogue);
  CSkeldaSymbolFilter(const CSkeldaSymbolFilter&) = delete;
  CSkeldaSymbolFilter& operator=(const CSkeldaSymbolFilter&) = delete;
  ~CSkeldaSymbolFilter() override;

  // Reads the file and puts it at the front of the search list, under its
  // name exactly as given (replacing the name's earlier entry in the name
  // map; the earlier copy stays searchable behind the new one but can no
  // longer be removed by name). Throws, adding nothing, when the file cannot
  // be read (see the failure rules above).
  void AddFile(const std::string& fileName);
  // Removes the file loaded last under that name from the search list and
  // the name map; nothing when the name is not loaded.
  void RemoveFile(const std::string& fileName);

  // The symbol the loaded files give the key, or null: the files are asked in
  // search-list order and the first that answers wins.
  const CSkeldaSymbol* Lookup(std::string_view key) const;

  // The library filter: a builder for the component's symbol when one is
  // found and accepted, else null.
  CComponentSSGBuilder::Ptr GetBuilder(IKeltoComponent* component) override;

  // Whether the catalogue lets the symbol draw a component of this type.
  bool Accepts(const CSkeldaSymbol& symbol, const std::string& typeName) const;

  IKeltoSymbolCatalogue* Catalogue() const { return m_catalogue.Get(); }
  const std::map<std::string, CSkeldaSymbols::Ptr>& Files() const { return m_files; }
  const std::list<CSkeldaSymbols::Ptr>& SearchList() const { return m_searchList; }

 private:
  std::map<std::string, CSkeldaSymbols::Ptr> m_files;
  std::list<CSkeldaSymbols::Ptr> m_searchList;
  kelto::com::ComPtr<IKeltoSymbolCatalogue> m_catalogue;
};
