// Filters of in-memory tables: a short text such as
// "[QTY>0, MINVAL(PRICE)]" that decides which records of a table load and,
// for tables grouped by key columns, which record of each group stays.
// Conditions are formulas of the document language over the fields of the
// table's record (ALIAS.FIELD); MINVAL and MAXVAL name the columns whose
// smallest or largest value a group keeps.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/tables/string_base.h"
#include "language/expr_context.h"
#include "language/expr_types.h"

namespace vm {

class TUBL;

// Error codes of a filter text; their messages come from FilterMessage.
enum : int32_t {
  kFilterCompileError = -1,  // the message is the expression compiler's
  kFilterOk = 0,
  kFilterBadFormat = 1,
  kFilterNoField = 2,
  kFilterEmptyPart = 3,
  kFilterNotNumber = 4,
  kFilterNoBrackets = 5,
  kFilterBadBase = 6,
  kFilterBadField = 7,
  kFilterForbidden = 100,  // MINVAL and MAXVAL on a look-up page
};

// The message of a code other than -1 ("" for 0 and unknown codes).
std::string FilterMessage(int32_t code);

class TFilter : public ITableFilter {
 public:
  // The owner's alias is the only base name MINVAL and MAXVAL accept, and
  // its table gives the field names. Without an owner those parts are
  // refused.
  explicit TFilter(TUBL* owner = nullptr) : Owner(owner) {}
  ~TFilter() override;
  TFilter(const TFilter&) = delete;
  TFilter& operator=(const TFilter&) = delete;

  TUBL* Owner;
  // Where conditions compile: the running document's context. Without one,
  // a context that knows the bases of the owner's list.
  TExprContext* Context = nullptr;

  void Clear();
  // Trimmed, upper-cased outside single quotes, then parsed.
  void SetText(std::string_view text) override;
  const std::string& Text() const override { return text_; }
  int32_t ErrorCode() const override { return errorCode_; }
  const std::string& Message() const override { return message_; }
  bool NoFilter() const override { return noFilter_; }
  bool Valid() const { return valid_; }
  bool ConditionsHold() override { return ConditionsHoldFrom(0); }
  bool ConditionsHoldFrom(int32_t first) override;
  // Number fields compared directly: their bytes are not converted.
  int32_t DecideBeforeConversion(const TStringBase& table, const char* record, const TKnownWhole& known) override;
  const std::vector<int32_t>& MinCols() const override { return minCols_; }
  const std::vector<int32_t>& MaxCols() const override { return maxCols_; }
  std::size_t ConditionCount() const { return conditions_.size(); }
  // Whether a condition is a comparison of a field of the owner's table
  // with a constant, tested straight on the record.
  bool ComparesDirectly(std::size_t condition) const {
    return condition < direct_.size() && direct_[condition].Field >= 0;
  }

 protected:
  void Parse();
  int32_t ParseFilter();
  // Whether an empty text lets every record pass as NOFILTER does.
  virtual bool EmptyIsNoFilter() const { return true; }
  // A code that refuses a text that parsed; 0 to take it.
  virtual int32_t Refusal() const { return kFilterOk; }

  std::string text_;
  bool valid_ = false;
  int32_t errorCode_ = 0;
  bool noFilter_ = false;
  std::string message_;

 private:
  // FIELD op constant or constant op FIELD, where FIELD is a number or
  // text field of the owner's table and the constant of its kind: what the
  // evaluator gives for it, worked out without it. Field is -1 for any
  // other condition.
  struct TDirectComparison {
    int32_t Field = -1;
    int Op = 0;
    char Type = 0;
    bool FieldFirst = true;
    long double Number = 0;
    std::string Text;
    // The number constant times 10^f, for a field written with f decimals,
    // where that is a whole number close enough to decide the comparison
    // by the field's digits alone; Scaled[f] is such only with bit f of
    // ScaledMask.
    std::array<int64_t, 9> Scaled{};
    uint32_t ScaledMask = 0;
    // Bit order + 1 set where the comparison holds for the field's order
    // against the constant (below 0, 0, above 0).
    uint32_t Holds = 0;
  };

  int32_t ParseColumn(std::string_view part, std::vector<int32_t>& cols);
  int32_t ParseCondition(const std::string& part);
  TDirectComparison DirectComparisonOf(const TExprChain& chain) const;
  // 1 or 0 for whether the comparison holds on a record of the owner's
  // table; -1 when it must be evaluated in full.
  int TestDirectly(const TDirectComparison& c, const char* record) const;
  // TestDirectly on a number field; the first for a field whose text is
  // the whole number given.
  static int TestWhole(const TDirectComparison& c, int64_t value);
  int TestNumberField(const TDirectComparison& c, const char* record) const;

  std::vector<int32_t> minCols_;
  std::vector<int32_t> maxCols_;
  std::vector<TExprChain> conditions_;
  // One for each condition.
  std::vector<TDirectComparison> direct_;
  // Conditions compiled without a document point into it.
  std::unique_ptr<TExprContext> ownContext_;
};

// The filter of a look-up page: no MINVAL or MAXVAL, and an empty text is
// not NOFILTER (it has no condition, so every record passes all the same).
class THelpFilter : public TFilter {
 public:
  using TFilter::TFilter;

 protected:
  bool EmptyIsNoFilter() const override { return false; }
  int32_t Refusal() const override;
};

}  // namespace vm
