// What a formula is compiled and evaluated against: the document's
// variables, databases, forms, auto-parameters and the other named objects.
// The compiler asks the context, never a global list, so a test can hand it
// a few fakes and a later part of the program its real registries.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/values/values.h"
#include "language/expr_types.h"
#include "platform/services.h"

namespace vm {

// Anything a formula may name as an object: a form, a database, a reference
// book, a select, a field list, a list select or a subroutine.
class TRuntimeObject {
 public:
  virtual ~TRuntimeObject() = default;
};

// A form of the document: its table and the blank that lays it out; the
// windows can be asked to focus it.
class IExprForm : public TRuntimeObject, public FocusableTable {
 public:
  virtual int ColumnCount() const = 0;
  // The format letter of a column; '*' when it varies from row to row.
  virtual char ColumnType(int column) const = 0;
  // The format letter of a column in the first row of the blank.
  virtual char FirstRowFormat(int column) const = 0;
  virtual int RowCount() const = 0;
  virtual TCommonVar CellValue(int column, int row) const = 0;
  // The same into a value the caller keeps, whose string buffer a form
  // that holds its cells as values can reuse.
  virtual void ReadCell(int column, int row, TCommonVar& into) const { into = CellValue(column, row); }
};

// A database bound by the document, with its current record.
class IExprBase : public TRuntimeObject {
 public:
  // 0-based index of a field, -1 when the table has none of that name.
  virtual int FieldIndex(std::string_view name) const = 0;
  virtual char FieldType(int index) const = 0;
  virtual TCommonVar FieldValue(int index) const = 0;
  // The same into a value the caller keeps (see ReadCell).
  virtual void ReadField(int index, TCommonVar& into) const { into = FieldValue(index); }
};

class IExprAutoParam {
 public:
  virtual ~IExprAutoParam() = default;
  virtual TCommonVar GetValue() const = 0;
  // The same into a value the caller keeps (see ReadCell).
  virtual void ReadValue(TCommonVar& into) const { into = GetValue(); }
};

struct TVariable {
  std::string Name;
  TCommonVar Value;
  int32_t Id = 0;
};

// A column reference: FORM[col] or FORM[col,row].
struct TFormVar {
  std::string Name;
  IExprForm* View = nullptr;
  int32_t Id = 0;
  int32_t Column = 0;
  char ColumnType = 0;
  bool WholeColumn = false;
};

// A field reference: BASE.FIELD.
struct TFieldVar {
  IExprBase* Table = nullptr;
  std::string BaseName;
  std::string FieldName;
  char FieldType = 0;
  int32_t Id = 0;
  int32_t FieldIndex = 0;
};

// The variables, column references and field references of the document
// being compiled; each keeps a running Id from 0.
class TExprSymbols {
 public:
  TVariable* AddVariable(std::string_view name, const TCommonVar& value);
  TVariable* FindVariable(std::string_view name) const;
  TFormVar* AddFormVar(std::string_view name, IExprForm* view, int column, char columnType,
                       bool wholeColumn);
  TFieldVar* FindFieldVar(std::string_view baseName, std::string_view fieldName) const;
  TFieldVar* AddFieldVar(IExprBase* table, std::string_view baseName, std::string_view fieldName,
                         int fieldIndex, char fieldType);
  void Reset();

  const std::vector<std::unique_ptr<TVariable>>& Variables() const { return variables_; }

 private:
  std::vector<std::unique_ptr<TVariable>> variables_;
  std::vector<std::unique_ptr<TFormVar>> formVars_;
  std::vector<std::unique_ptr<TFieldVar>> fieldVars_;
  int32_t nextVariableId_ = 0;
  int32_t nextFormVarId_ = 0;
  int32_t nextFieldVarId_ = 0;
};

// The compile context. Every look-up answers "none" unless a subclass knows
// better, so a context holds only what its document has.
class TExprContext {
 public:
  virtual ~TExprContext() = default;

  TExprSymbols& Symbols() { return symbols_; }

  virtual IExprForm* FindForm(std::string_view /*name*/) { return nullptr; }
  virtual IExprBase* FindBase(std::string_view /*alias*/) { return nullptr; }
  virtual TRuntimeObject* FindFieldList(std::string_view /*name*/) { return nullptr; }
  virtual TRuntimeObject* FindSelect(std::string_view /*name*/) { return nullptr; }
  virtual TRuntimeObject* FindListSelect(std::string_view /*name*/) { return nullptr; }
  virtual TRuntimeObject* FindHelp(std::string_view /*name*/) { return nullptr; }
  virtual TRuntimeObject* FindSubroutine(std::string_view /*name*/) { return nullptr; }
  virtual IExprAutoParam* FindAutoParam(std::string_view /*name*/) { return nullptr; }
  // The system variables CURDATE, NO_OPERAT and CURTIME: index 1..3, -1.
  virtual int FindSysVar(std::string_view name);
  virtual TCommonVar SysVarValue(int index);

  // The text of run-time error -1: the words of the last failing built-in.
  std::string RunErrorText;

 private:
  TExprSymbols symbols_;
};

}  // namespace vm
