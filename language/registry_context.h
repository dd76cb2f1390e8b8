// Formulas and statement programs against the configuration registries: the
// auto-parameters, which a document works on as its own copy of the global
// list (copied back when the document commits), and the configured databases
// a document binds under its aliases. Also the context that formulas
// compiled outside any document's own context use, the conditions of blanks
// and the price-tag zones above all: it reads the auto-parameters in force
// themselves, never a copy, so that what a commit, a reload or the designer
// changes is what those formulas show.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/registries.h"
#include "language/program_context.h"

namespace vm {

class TDocAutoParams;

// One auto-parameter of the list its owner reads. It is looked up by name
// whenever it is read or written, so a list that is copied, reloaded or
// changed for another under a compiled formula never leaves the formula
// holding a freed parameter.
class TAutoParamRef : public IProgramAutoParam {
 public:
  TAutoParamRef(const TDocAutoParams& owner, std::string name, char kind);

  // A parameter gone from the list reads as an empty value of the kind it
  // had when last seen.
  TCommonVar GetValue() const override;
  void ReadValue(TCommonVar& into) const override;
  char TypeLetter() const override;
  // Writes the text of the value into the list the reference was made on;
  // nothing when the parameter is gone.
  bool SetValue(const TCommonVar& value) override;
  std::string Name() const override { return name_; }

 private:
  TAPar* Find() const;

  const TDocAutoParams& owner_;
  std::string name_;
  mutable char kind_;
};

// The auto-parameters a document's formulas name as %NAME%: its own copy,
// or a list it follows.
class TDocAutoParams {
 public:
  TDocAutoParams() = default;
  // Compiled formulas hold references into it.
  TDocAutoParams(const TDocAutoParams&) = delete;
  TDocAutoParams& operator=(const TDocAutoParams&) = delete;

  // The own list becomes a copy of global, and the one read from now on.
  void Assign(const TAutoList& global);
  // list itself (nullptr: the own list) is read and written from now on, by
  // the formulas compiled so far as well. Whoever passes a list points the
  // parameters elsewhere before it goes.
  void Follow(TAutoList* list);
  TAutoList& List() { return *list_; }
  const TAutoList& List() const { return *list_; }
  // The list as the last Assign copied it: what a run's programs began from.
  const TAutoList& Initial() const { return initial_; }
  // nullptr when the list has no parameter of that name.
  TAutoParamRef* Find(std::string_view name);

 private:
  TAutoList own_;
  TAutoList initial_;
  TAutoList* list_ = &own_;
  // By upper-cased name; kept as long as the list, whatever it holds.
  std::map<std::string, std::unique_ptr<TAutoParamRef>, std::less<>> refs_;
};

// A configured database as a program sees it: the fields of its table and
// the values of the record the table has read last, which an assignment
// changes in the record buffer only. The file gets the change when whoever
// owns the table writes that record; reading another record first drops it.
class TRegistryBase : public IProgramBase {
 public:
  explicit TRegistryBase(TDbaseStructure& base) : base_(base) {}
  int FieldIndex(std::string_view name) const override;
  char FieldType(int index) const override;
  TCommonVar FieldValue(int index) const override;
  void ReadField(int index, TCommonVar& into) const override;
  // Written by the value's kind: text left-aligned, a date as yyyymmdd, a
  // number with the field's decimals (as many as fit) right-aligned; a
  // number that does not fit even without decimals is not stored (false).
  // Nothing happens on a closed table.
  bool SetFieldValue(int index, const TCommonVar& value) override;

 private:
  TDbaseStructure& base_;
};

// System variables, the auto-parameters and the bound databases; a program
// compiled here assigns to both.
class TRegistryContext : public TProgramContext {
 public:
  TDocAutoParams& AutoParams() { return autoParams_; }
  // Alias is compared upper-cased; binding it again replaces the database
  // for formulas compiled afterwards.
  void BindBase(std::string_view alias, TDbaseStructure& base);

  IProgramAutoParam* FindAutoParam(std::string_view name) override;
  IProgramBase* FindBase(std::string_view alias) override;

 private:
  TDocAutoParams autoParams_;
  std::map<std::string, std::unique_ptr<TRegistryBase>, std::less<>> bases_;
  // Replaced bindings stay alive for the formulas compiled against them.
  std::vector<std::unique_ptr<TRegistryBase>> unbound_;
};

// The context blank conditions and price-tag zones compile in: the global
// one, over the global registries, unless a running document has put its
// own in place.
TExprContext& CurrentExprContext();
TRegistryContext& GlobalExprContext();
// The auto-parameters the global context reads: working (the designer's
// working copy while it edits) or, with nullptr, the configuration's own
// list (Settings()). Formulas compiled earlier read the new list too.
void SetGlobalAutoParams(TAutoList* working);
// The list the global context reads now.
TAutoList& GlobalAutoParams();
// nullptr goes back to the global context. Formulas compiled in a context
// point into it: whoever installs one frees what compiled in it (blanks:
// TBlanks::UnloadAll) before the context goes.
void SetCurrentExprContext(TExprContext* context);

}  // namespace vm
