#include "language/table_filter.h"

#include <algorithm>
#include <cmath>

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "language/bound_tables.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/operators.h"

namespace vm {

std::string FilterMessage(int32_t code) {
  switch (code) {
    case kFilterBadFormat:
      return " Неправильный формат фильтра "_w;
    case kFilterNoField:
      return " Отсутствует название поля базы "_w;
    case kFilterEmptyPart:
      return " Отсутствует выражение определения фильтра "_w;
    case kFilterNotNumber:
      return " Тип значения выражения фильтра должен быть числовым "_w;
    case kFilterNoBrackets:
      return " Имя поля должно быть заключено в скобки "_w;
    case kFilterBadBase:
      return " Неправильное имя базы "_w;
    case kFilterBadField:
      return " Неправильное имя поля базы "_w;
    case kFilterForbidden:
      return " Запрещенные функции для фильтра справочника "_w;
    default:
      return {};
  }
}

TFilter::~TFilter() { Clear(); }

void TFilter::Clear() {
  text_.clear();
  valid_ = false;
  errorCode_ = 0;
  message_.clear();
  minCols_.clear();
  maxCols_.clear();
  for (TExprChain& c : conditions_) FreeExpr(c);
  conditions_.clear();
  direct_.clear();
  ownContext_.reset();
}

void TFilter::SetText(std::string_view text) {
  Clear();
  text_ = UpperOutsideQuotesStr(TrimBlanks(text));
  Parse();
}

void TFilter::Parse() {
  if (text_.empty()) {
    errorCode_ = kFilterOk;
    noFilter_ = EmptyIsNoFilter();
  } else {
    errorCode_ = ParseFilter();
  }
  if (errorCode_ == kFilterOk) errorCode_ = Refusal();
  valid_ = errorCode_ == kFilterOk;
  // The compiler's own message stays for -1.
  if (errorCode_ != kFilterCompileError) message_ = FilterMessage(errorCode_);
}

int32_t THelpFilter::Refusal() const {
  return MinCols().empty() && MaxCols().empty() ? kFilterOk : kFilterForbidden;
}

int32_t TFilter::ParseFilter() {
  noFilter_ = false;
  if (text_.size() <= 2 || text_.front() != '[' || text_.back() != ']') return kFilterBadFormat;
  const std::string inner = TrimBlanks(std::string_view(text_).substr(1, text_.size() - 2));
  if (inner == "NOFILTER") {
    noFilter_ = true;
    return kFilterOk;
  }
  for (const std::string& raw : SplitParamList(inner)) {
    const std::string part = TrimBlanks(raw);
    int32_t code;
    if (part.empty()) {
      code = kFilterEmptyPart;
    } else if (part.starts_with("MINVAL")) {
      code = ParseColumn(std::string_view(part).substr(6), minCols_);
    } else if (part.starts_with("MAXVAL")) {
      code = ParseColumn(std::string_view(part).substr(6), maxCols_);
    } else {
      code = ParseCondition(part);
    }
    if (code != kFilterOk) return code;
  }
  return kFilterOk;
}

int32_t TFilter::ParseColumn(std::string_view rest, std::vector<int32_t>& cols) {
  if (rest.empty()) return kFilterNoField;
  if (rest.front() != '(' || rest.back() != ')' || rest.size() < 2) return kFilterNoBrackets;
  const std::string inside = TrimBlanks(rest.substr(1, rest.size() - 2));
  std::string base, field = inside;
  if (const auto dot = inside.find('.'); dot != std::string::npos) {
    base = TrimBlanks(std::string_view(inside).substr(0, dot));
    field = TrimBlanks(std::string_view(inside).substr(dot + 1));
  }
  // A filter of no table has no names to check MINVAL and MAXVAL against.
  if (!Owner) return kFilterBadBase;
  if (!base.empty() && base != Owner->Alias) return kFilterBadBase;
  const int32_t index = Owner->Table.FieldIndex(field);
  if (index < 0) return kFilterBadField;
  cols.push_back(index);
  return kFilterOk;
}

int32_t TFilter::ParseCondition(const std::string& part) {
  TExprContext* context = Context;
  if (!context && Owner && Owner->List) context = Owner->List->Context;
  if (!context) {
    if (!ownContext_) ownContext_ = std::make_unique<TBaseListContext>(Owner ? Owner->List : nullptr, Owner);
    context = ownContext_.get();
  }
  TExprChain& chain = conditions_.emplace_back();
  direct_.emplace_back();
  const TCompileResult result = CompileExpr(part, *context, chain);
  if (result.ErrCode != 0) {
    message_ = result.Msg;
    return kFilterCompileError;
  }
  if (result.ResultType != 'N') return kFilterNotNumber;
  direct_.back() = DirectComparisonOf(chain);
  return kFilterOk;
}

namespace {

// A field's digits are compared as integers with the constant, scaled to
// as many decimals, where the constant lies below 2^28 and is the nearest
// number to that integer over 10^f (f at most 8). The field's number is its
// digits' value rounded; so where the integers are equal both numbers lie
// within 2^-34 of one value, well within the tolerance of comparisons, and
// where they differ the values lie 10^-8 or more apart, which the rounding
// cannot bring within it (or, past 2^29, the field is the larger in
// magnitude by more than 1): the integers order the numbers as the
// comparison of numbers does.
constexpr long double kScaledBelow = 268435456.0L;  // 2^28
constexpr uint64_t kDigitsBelow = uint64_t{1} << 62;

template <std::size_t N>
void ScaleConstant(long double constant, std::array<int64_t, N>& scaled, uint32_t& mask) {
  mask = 0;
  if (!(std::fabs(constant) < kScaledBelow)) return;
  long double power = 1;
  for (std::size_t f = 0; f < N; ++f, power *= 10) {
    const long double k = std::rint(constant * power);
    if (k / power != constant) continue;
    scaled[f] = static_cast<int64_t>(k);
    mask |= uint32_t{1} << f;
  }
}

}  // namespace

TFilter::TDirectComparison TFilter::DirectComparisonOf(const TExprChain& chain) const {
  TDirectComparison c;
  if (!Owner || chain.size() != 2) return c;
  const int op = chain[0].OpIndex;
  if (op < kOpLess || op > kOpEq) return c;
  c.FieldFirst = chain[0].Kind == kOpdField;
  const TOperand& field = chain[c.FieldFirst ? 0 : 1];
  const TOperand& constant = chain[c.FieldFirst ? 1 : 0];
  if (field.Kind != kOpdField || !field.FieldVar || field.FieldVar->Table != static_cast<const IExprBase*>(Owner))
    return c;
  c.Type = Owner->Table.FieldType(field.FieldVar->FieldIndex);
  if (c.Type == 'N' && constant.Kind == kOpdNumber) {
    c.Number = constant.Constant;
    ScaleConstant(c.Number, c.Scaled, c.ScaledMask);
  } else if (c.Type == 'C' && constant.Kind == kOpdString) {
    c.Text = constant.Text;
  } else {
    return c;
  }
  c.Op = op;
  for (int order = -1; order <= 1; ++order)
    if (OrderHolds(op, c.FieldFirst ? order : -order)) c.Holds |= 1u << (order + 1);
  c.Field = field.FieldVar->FieldIndex;
  return c;
}

inline int TFilter::TestWhole(const TDirectComparison& c, int64_t value) {
  if ((c.ScaledMask & 1) != 0) {
    const int64_t k = c.Scaled[0];
    return static_cast<int>(c.Holds >> ((value > k) - (value < k) + 1) & 1);
  }
  const auto x = static_cast<long double>(value);
  return c.FieldFirst ? NumbersCompare(c.Op, x, c.Number) : NumbersCompare(c.Op, c.Number, x);
}

inline int TFilter::TestNumberField(const TDirectComparison& c, const char* record) const {
  const TStringBase& table = Owner->Table;
  TDecimalDigits d;
  if (ReadDecimalFieldInline(table.FieldBytes(c.Field, record), d) && d.Fraction < c.Scaled.size() &&
      (c.ScaledMask >> d.Fraction & 1) != 0 && d.Mantissa < kDigitsBelow) {
    const int64_t m = d.Negative ? -static_cast<int64_t>(d.Mantissa) : static_cast<int64_t>(d.Mantissa);
    const int64_t k = c.Scaled[d.Fraction];
    return static_cast<int>(c.Holds >> ((m > k) - (m < k) + 1) & 1);
  }
  const long double x = table.BufferNumber(c.Field, record);
  return c.FieldFirst ? NumbersCompare(c.Op, x, c.Number) : NumbersCompare(c.Op, c.Number, x);
}

int TFilter::TestDirectly(const TDirectComparison& c, const char* record) const {
  if (c.Field < 0) return -1;
  const TStringBase& table = Owner->Table;
  // The layout may have changed under the filter: then the field is read
  // as the evaluator reads it.
  if (!record || table.FieldType(c.Field) != c.Type) return -1;
  if (c.Type == 'N') return TestNumberField(c, record);
  // Texts compare as the operators compare them: with regard to case.
  const std::string_view text = table.BufferTextView(c.Field, record);
  const int order = c.FieldFirst ? CompareStrLocale(text, c.Text, true) : CompareStrLocale(c.Text, text, true);
  return OrderHolds(c.Op, order) ? 1 : 0;
}

namespace {

// A condition through the evaluator: it gives, without error, a number
// other than exactly 0.
bool EvaluatesTrue(TExprChain& condition) {
  TCommonVar value;
  int err = 0;
  EvalExpr(condition, err, value);
  return err == 0 && value.Kind == 'N' && value.Num != 0;
}

}  // namespace

bool TFilter::ConditionsHoldFrom(int32_t first) {
  const char* record = Owner ? Owner->Table.Buffer() : nullptr;
  for (std::size_t k = static_cast<std::size_t>(std::max(first, 0)); k < conditions_.size(); ++k) {
    const int holds = TestDirectly(direct_[k], record);
    if (holds == 0 || (holds < 0 && !EvaluatesTrue(conditions_[k]))) return false;
  }
  return true;
}

int32_t TFilter::DecideBeforeConversion(const TStringBase& table, const char* record, const TKnownWhole& known) {
  int32_t held = 0;
  // The conditions read the owner's record, which must be this one.
  if (!Owner || &Owner->Table != &table || !record) return held;
  for (const TDirectComparison& c : direct_) {
    // The layout may have changed under the filter: then the field is read
    // as the evaluator reads it.
    if (c.Type != 'N' || c.Field < 0 || table.FieldType(c.Field) != 'N') break;
    const int holds = c.Field == known.Field ? TestWhole(c, known.Value) : TestNumberField(c, record);
    if (holds == 0) return -1;
    ++held;
  }
  return static_cast<std::size_t>(held) == direct_.size() ? kEveryConditionHolds : held;
}

}  // namespace vm
