#include "models/layout_lang.h"

#include <algorithm>
#include <bitset>
#include <string_view>
#include <vector>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language/registry_context.h"

namespace vm {

namespace {

// A conditional format's condition: a formula of the document language,
// evaluated for the row being formatted.
class TFormulaCondition final : public TBlankCondition {
 public:
  explicit TFormulaCondition(TExprChain chain) : chain_(std::move(chain)) {}
  bool Holds() override {
    int err = 0;
    TCommonVar value;
    EvalExpr(chain_, err, value);
    return err == 0 && value.Kind == 'N' && value.Num != 0;
  }

 private:
  TExprChain chain_;
};


// The expression compiler's message for the last condition that failed.
std::string gConditionMessage;

constexpr int32_t kMaxIndex = 255;
// A kilometre: wider columns are taken for typing errors, and with this bound
// every length of a blank of 64 columns stays far inside 32 bits.
constexpr int32_t kMaxColWidth = 10'000'000;

// Lines split at CR, LF or CR LF; a final line break adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// An optional sign and decimal digits. overflow is set (and value saturated)
// for a well-formed number beyond 32 bits.
bool ParseInteger(std::string_view s, int64_t& value, bool& overflow) {
  value = 0;
  overflow = false;
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    if (!overflow) value = value * 10 + (s[i] - '0');
    if (value > int64_t{INT32_MAX} + (negative ? 1 : 0)) overflow = true;
  }
  if (negative) value = -value;
  return true;
}

bool ReadInt(std::string_view s, int32_t& value) {
  int64_t v = 0;
  bool overflow = false;
  if (!ParseInteger(s, v, overflow) || overflow || v < INT32_MIN) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// An index value: an integer of at least 1 (saturated beyond 32 bits).
bool ReadIndexValue(std::string_view s, int64_t& value) {
  bool overflow = false;
  return ParseInteger(s, value, overflow) && value >= 1;
}

// 0, or the error of one index value.
int32_t ReadIndex(std::string_view s, int32_t& value) {
  int64_t v = 0;
  if (!ReadIndexValue(s, v)) return beBadIndex;
  if (v > kMaxIndex) return beBadColumn;
  value = static_cast<int32_t>(v);
  return 0;
}

struct TIndexSet {
  std::bitset<kMaxIndex + 1> Has;
  int32_t Min = 0;
  int32_t Max = 0;

  void Add(int32_t n) {
    if (Has.none() || n < Min) Min = n;
    if (Has.none() || n > Max) Max = n;
    Has.set(static_cast<size_t>(n));
  }
  bool IsRange() const { return Has.any() && Has.count() == static_cast<size_t>(Max - Min + 1); }
};

int32_t ParseIndexSet(std::string_view inner, TIndexSet& set) {
  const size_t dots = inner.find("..");
  if (dots != std::string_view::npos) {
    int64_t a = 0, b = 0;
    if (!ReadIndexValue(inner.substr(0, dots), a) || !ReadIndexValue(inner.substr(dots + 2), b))
      return beBadIndex;
    if (a > b) return beBadIndexRange;
    if (b > kMaxIndex) return beBadColumn;
    for (auto n = static_cast<int32_t>(a); n <= b; ++n) set.Add(n);
    return 0;
  }
  if (inner.empty()) return beBadIndex;
  for (const std::string& item : SplitTopLevel(inner, ',')) {
    int32_t n = 0;
    if (const int32_t err = ReadIndex(item, n)) return err;
    set.Add(n);
  }
  return 0;
}

enum TCommand {
  cmNone,
  cmColCount,
  cmLevelCount,
  cmHeader,
  cmFormat,
  cmColWidth,
  cmLevel,
  cmLineWidth
};

TCommand FindCommand(const std::string& name) {
  static constexpr std::pair<std::string_view, TCommand> kCommands[] = {
      {"COLCOUNT", cmColCount},  {"LEVELCOUNT", cmLevelCount}, {"HEADER", cmHeader},
      {"FORMAT", cmFormat},      {"COLWIDTH", cmColWidth},     {"LEVEL", cmLevel},
      {"LINEWIDTH", cmLineWidth}};
  for (const auto& [text, command] : kCommands)
    if (name == text) return command;
  return cmNone;
}

void RaiseMode(TColFormat& f) {
  const int64_t least = int64_t{f.Decimals} + 2;
  if (f.Mode > 0 && f.Mode < least) f.Mode = static_cast<int32_t>(std::min<int64_t>(least, INT32_MAX));
}

class TBlankCompiler {
 public:
  explicit TBlankCompiler(TCurBlank& blank) : b_(blank) {}

  int32_t Line(std::string_view line);
  int32_t Complete();

 private:
  int32_t ColCount(const std::string& value);
  int32_t LevelCount(const std::string& value);
  int32_t Header(const TIndexSet& index, const std::string& value);
  int32_t Format(const TIndexSet& index, const std::string& value);
  int32_t Conditions(const TIndexSet& index, const std::string& param);
  int32_t ColWidth(const TIndexSet& index, const std::string& value);
  int32_t Level(const std::string& value);
  int32_t LineWidth(const std::string& value);

  template <typename F>
  int32_t ForEachColumn(const TIndexSet& index, F f) {
    for (int32_t n = index.Min; n <= index.Max; ++n) {
      if (!index.Has.test(static_cast<size_t>(n))) continue;
      TColDescr* column = BlankColumn(b_, n);
      // The callers have checked the index against the columns.
      if (!column) return beBadColumn;
      if (const int32_t err = f(*column, n)) return err;
    }
    return 0;
  }

  TCurBlank& b_;
  int32_t level_ = 1;
  bool colCountSeen_ = false;
  bool levelCountSeen_ = false;
};

int32_t TBlankCompiler::Line(std::string_view line) {
  std::string command, value;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) {
    value = std::string(line);
  } else {
    command = TrimBlanks(line.substr(0, eq));
    value = TrimBlanks(line.substr(eq + 1));
  }
  command = UpperStr(command);

  TIndexSet index;
  std::string name = command;
  const size_t bracket = command.find('[');
  if (bracket != std::string::npos) {
    const std::string_view rest = std::string_view(command).substr(bracket + 1);
    if (rest.empty() || rest.back() != ']') return beNoCloseBracket;
    name = TrimBlanks(std::string_view(command).substr(0, bracket));
    if (const int32_t err = ParseIndexSet(TrimBlanks(rest.substr(0, rest.size() - 1)), index))
      return err;
  }

  const TCommand cmd = FindCommand(name);
  if (!colCountSeen_ && cmd != cmColCount) return beNoColCount;
  if (!levelCountSeen_ && colCountSeen_ && cmd != cmLevelCount) return beNoLevelCount;
  switch (cmd) {
    case cmColCount:
      return ColCount(value);
    case cmLevelCount:
      return LevelCount(value);
    case cmHeader:
      return Header(index, value);
    case cmFormat:
      return Format(index, value);
    case cmColWidth:
      return ColWidth(index, value);
    case cmLevel:
      return Level(value);
    case cmLineWidth:
      return LineWidth(value);
    case cmNone:
      break;
  }
  return beUnknownCommand;
}

int32_t TBlankCompiler::ColCount(const std::string& value) {
  if (colCountSeen_) return beColCountAgain;
  const size_t comma = value.find(',');
  int32_t shown = 0, hidden = 0;
  if (!ReadInt(TrimBlanks(value.substr(0, comma)), shown)) return beBadNumber;
  if (comma != std::string::npos && !ReadInt(TrimBlanks(value.substr(comma + 1)), hidden))
    return beBadNumber;
  // A negative part would leave shown columns that do not exist.
  if (shown < 0 || hidden < 0) return beBadColCount;
  const int64_t total = int64_t{shown} + hidden;
  if (total < 1 || total > kMaxBlankColumns) return beBadColCount;
  b_.ShownColCount = shown;
  b_.ColCount = static_cast<int32_t>(total);
  std::unique_ptr<TColDescr>* slot = &b_.Columns;
  for (int32_t i = 0; i < b_.ColCount; ++i) {
    *slot = std::make_unique<TColDescr>();
    slot = &(*slot)->Next;
  }
  colCountSeen_ = true;
  return 0;
}

int32_t TBlankCompiler::LevelCount(const std::string& value) {
  if (levelCountSeen_) return beLevelCountAgain;
  int32_t n = 0;
  if (!ReadInt(value, n)) return beBadNumber;
  if (n < 1 || n > kMaxHeaderLevels) return beBadLevelCount;
  b_.LevelCount = n;
  levelCountSeen_ = true;
  return 0;
}

int32_t TBlankCompiler::Header(const TIndexSet& index, const std::string& value) {
  if (index.Max > b_.ShownColCount) return beBadColumn;
  for (int32_t col = index.Min; col <= index.Max; ++col) {
    if (!index.Has.test(static_cast<size_t>(col))) continue;
    for (TBlankHeader* c = b_.HeaderCells.get(); c; c = c->Next.get()) {
      if (col < c->FirstCol || col > c->LastCol) continue;
      if (c->FirstLevel == level_) return beHeaderOverlap;
      if (c->FirstLevel < level_ && c->LastLevel >= level_) c->LastLevel = level_ - 1;
    }
  }

  const std::vector<std::string> params = SplitTopLevel(value, ',');
  if (params.size() > 3) return beBadHeaderParams;
  std::string text;
  if (params.empty() || !UnquoteStr(params[0], text)) return beBadString;
  int32_t fontHeight = kDefaultFontHeight;
  if (params.size() >= 2) {
    if (!ReadInt(params[1], fontHeight)) return beBadNumber;
    fontHeight = std::clamp(fontHeight, 10, 400);
  }
  bool bold = false;
  if (params.size() == 3 && !params[2].empty()) bold = params[2] != "0";

  auto add = [&](int32_t first, int32_t last) {
    TBlankHeader* cell = b_.AddHeaderCell();
    cell->FirstLevel = level_;
    cell->LastLevel = b_.LevelCount;
    cell->FirstCol = first;
    cell->LastCol = last;
    cell->FontHeight = fontHeight;
    cell->Bold = bold;
    cell->Text = text;
  };
  if (index.IsRange()) {
    add(index.Min, index.Max);
  } else {
    for (int32_t col = index.Min; col <= index.Max; ++col)
      if (index.Has.test(static_cast<size_t>(col))) add(col, col);
  }
  return 0;
}

// Reads a format (kind and numbers) from its parameters; V is not a kind here.
int32_t ReadFormat(const std::vector<std::string>& params, TColFormat& f) {
  if (params.empty()) return beBadFormatParams;
  if (params[0].empty()) return beBadKind;
  const char kind = RusUpCase(params[0][0]);
  const auto count = static_cast<int32_t>(params.size());
  int32_t least = 3, most = 5;
  switch (kind) {
    case 'D':
      least = 2;
      break;
    case 'N':
    case 'R':
      most = 6;
      break;
    case 'C':
    case 'E':
    case 'T':
      break;
    default:
      return beBadKind;
  }
  if (count < least || count > most) return beBadFormatParams;

  int32_t p[6] = {0, 0, 0, 0, 0, 1};  // p[1..5]
  std::string altText;
  for (int32_t i = 1; i < count; ++i) {
    const std::string& s = params[static_cast<size_t>(i)];
    if (kind == 'E' && i == 1) {
      bool error = false;
      altText = ParseStrLiteral(s, error);
      if (error) return beBadAltText;
      continue;
    }
    int32_t v = 0;
    const bool number = ReadInt(s, v);
    if (i == 4) {
      p[4] = number && v >= 0 ? v : 1;
    } else if (i == 5) {
      if (!number) return beBadNumber;
      if (s[0] == '-') {
        p[5] = v == 0 ? -1 : -2;
      } else if (s[0] == '+') {
        p[5] = v == 0 ? 1 : 2;
      } else {
        p[5] = 0;
      }
    } else {
      if (!number || v < 0) return beBadNumber;
      p[i] = v;
    }
  }
  // Dates and times written with three numbers leave out the decimals.
  if ((kind == 'D' || kind == 'T') && count == 4) {
    p[5] = p[4];
    p[4] = p[3];
    p[3] = p[2];
    p[2] = p[1];
  }
  f.Kind = kind;
  f.Mode = p[1];
  f.Decimals = p[2];
  f.FontHeight = p[3] == 0 ? kDefaultFontHeight : std::clamp(p[3], 10, 400);
  f.Bold = p[4] != 0;
  f.Sign = p[5];
  f.AltText = std::move(altText);
  return 0;
}

int32_t TBlankCompiler::Format(const TIndexSet& index, const std::string& value) {
  if (index.Max > b_.ColCount || index.Min < 1) return beBadColumn;
  const std::vector<std::string> params = SplitTopLevel(value, ',');
  if (!params.empty() && !params[0].empty() && RusUpCase(params[0][0]) == 'V') {
    if (params.size() != 1) return beBadFormatParams;
    return Conditions(index, params[0]);
  }
  TColFormat f;
  if (const int32_t err = ReadFormat(params, f)) return err;
  return ForEachColumn(index, [&](TColDescr& column, int32_t) {
    if (column.Conditional || column.FormatGiven) return int32_t{beFormatAgain};
    column.Format = f;
    column.FormatGiven = true;
    return int32_t{0};
  });
}

int32_t TBlankCompiler::Conditions(const TIndexSet& index, const std::string& param) {
  const std::string rest = TrimBlanks(std::string_view(param).substr(1));
  if (rest.size() < 9 || rest.front() != '[' || rest.back() != ']') return beCondNotBracketed;
  if (const int32_t err = ForEachColumn(index, [](TColDescr& column, int32_t) {
        if (column.FormatGiven) return int32_t{beFormatAgain};
        column.Conditional = true;
        return int32_t{0};
      }))
    return err;

  const std::string_view items = std::string_view(rest).substr(1, rest.size() - 2);
  for (const std::string& item : SplitTopLevel(items, ',')) {
    if (item.size() < 3 || item.front() != '[' || item.back() != ']') return beCondNotBracketed;
    const std::string inner = TrimBlanks(std::string_view(item).substr(1, item.size() - 2));
    const int commaPos = PosTopLevel(",", inner);
    if (commaPos == 0) return beBadCondFormat;
    const auto comma = static_cast<size_t>(commaPos - 1);
    TColFormat f;
    if (const int32_t err =
            ReadFormat(SplitTopLevel(std::string_view(inner).substr(comma + 1), ','), f))
      return err;

    TExprChain chain;
    const TCompileResult compiled =
        CompileExpr(TrimBlanks(std::string_view(inner).substr(0, comma)), CurrentExprContext(), chain);
    if (compiled.ErrCode != 0) {
      gConditionMessage = compiled.Msg;
      return beCondCompile;
    }
    if (NormalizeTypeChar(compiled.ResultType) != 'N') return beBadCondType;
    TBlankCondition* condition = b_.AddCode(MakeFormulaCondition(std::move(chain)));

    if (const int32_t err = ForEachColumn(index, [&](TColDescr& column, int32_t) {
          std::unique_ptr<TVarColFormat>* slot = &column.CondFormats;
          while (*slot) slot = &(*slot)->Next;
          *slot = std::make_unique<TVarColFormat>();
          (*slot)->Condition = condition;
          (*slot)->Format = f;
          column.FormatGiven = true;
          return int32_t{0};
        }))
      return err;
  }
  return 0;
}

int32_t TBlankCompiler::ColWidth(const TIndexSet& index, const std::string& value) {
  if (index.Max > b_.ShownColCount) return beBadColumn;
  int32_t width = 0;
  if (!ReadInt(value, width) || width <= 4 || width > kMaxColWidth) return beBadNumber;
  return ForEachColumn(index, [&](TColDescr& column, int32_t) {
    column.Width = width;
    column.WidthGiven = true;
    return int32_t{0};
  });
}

int32_t TBlankCompiler::Level(const std::string& value) {
  int32_t n = 0;
  if (!ReadInt(value, n)) return beBadNumber;
  if (n < 1 || n > b_.LevelCount) return beBadLevel;
  if (n < level_) return beLevelBack;
  level_ = n;
  return 0;
}

int32_t TBlankCompiler::LineWidth(const std::string& value) {
  int32_t n = 0;
  if (!ReadInt(value, n)) return beBadNumber;
  if (n < 1 || n > 50) return beBadLineWidth;
  b_.LineWidth = n;
  return 0;
}

int32_t TBlankCompiler::Complete() {
  if (!colCountSeen_) return beNoColCount;
  if (!levelCountSeen_) return beNoLevelCount;

  int32_t left = 0;
  int32_t n = 1;
  for (TColDescr* c = b_.Columns.get(); c; c = c->Next.get(), ++n) {
    const bool shown = n <= b_.ShownColCount;
    if (!c->FormatGiven) return beFormatsMissing;
    if (shown && !c->WidthGiven) return beWidthsMissing;
    if (c->Conditional) {
      TVarColFormat* last = nullptr;
      for (TVarColFormat* f = c->CondFormats.get(); f; f = f->Next.get()) {
        RaiseMode(f->Format);
        last = f;
      }
      if (last) c->Format = last->Format;
    } else {
      RaiseMode(c->Format);
    }
    if (shown) {
      c->Left = left;
      c->TextLeft = left + 5 + RoundEven(1.5L * b_.LineWidth + 1);
      c->RightLimit = left + c->Width + (b_.LineWidth + 1) / 2;
      left += c->Width;
    }
  }
  b_.TotalWidth = 2 * b_.LineWidth + left;

  for (int32_t level = 1; level <= b_.LevelCount; ++level) {
    for (int32_t col = 1; col <= b_.ShownColCount; ++col) {
      if (FindHeaderCell(b_.HeaderCells.get(), level, col)) continue;
      int32_t last = level + 1;
      while (last <= b_.LevelCount && !FindHeaderCell(b_.HeaderCells.get(), last, col)) ++last;
      TBlankHeader* cell = b_.AddHeaderCell();
      cell->FirstLevel = level;
      cell->LastLevel = last - 1;
      cell->FirstCol = col;
      cell->LastCol = col;
      cell->FontHeight = kDefaultFontHeight;
    }
  }
  return 0;
}

}  // namespace

bool CompileBlank(TCurBlank& blank, int32_t& errCode, int32_t& errLine) {
  blank.Clear();
  blank.LineWidth = kDefaultLineWidth;
  blank.TotalWidth = 0;
  blank.HeaderHeight = 0;

  TBlankCompiler compiler(blank);
  errCode = 0;
  errLine = -1;
  const std::vector<std::string_view> lines = SplitLines(blank.Text);
  for (size_t i = 0; i < lines.size() && errCode == 0; ++i) {
    const std::string line = TrimBlanks(lines[i]);
    if (line.empty() || line[0] == ';') continue;
    errLine = static_cast<int32_t>(i);
    errCode = compiler.Line(line);
  }
  if (errCode == 0) {
    errLine = -1;
    errCode = compiler.Complete();
  }
  if (errCode != 0) {
    blank.Clear();
    blank.LineWidth = kDefaultLineWidth;
    blank.TotalWidth = 0;
    return false;
  }
  blank.Compiled = true;
  return true;
}

std::string BlankErrorText(int32_t errCode, int32_t errLine) {
  std::string text;
  switch (errCode) {
    case beNoCloseBracket:
      text = " Отсутствует символ ']'"_w;
      break;
    case beBadIndex:
      text = " Неправильный индекс "_w;
      break;
    case beBadIndexRange:
      text = " Неправильный диапазон индексов "_w;
      break;
    case beNoColCount:
      text = " Не указано количество колонок "_w;
      break;
    case beBadNumber:
      text = " Неправильное число "_w;
      break;
    case beNoLevelCount:
      text = " Не задано количество уровней заголовка "_w;
      break;
    case beBadLevel:
      text = " Неверный уровень заголовка "_w;
      break;
    case beColCountAgain:
      text = " Повторное объявление количества столбцов "_w;
      break;
    case beLevelCountAgain:
      text = " Повторное объявление количества уровней заголовка "_w;
      break;
    case beBadLevelCount:
      text = " Неверное число уровней заголовка "_w;
      break;
    case beBadColCount:
      text = " Неверное число колонок "_w;
      break;
    case beLevelBack:
      text = " Неверное значение уровня заголовка "_w;
      break;
    case beHeaderOverlap:
      text = " Перекрытие уровня заголовка "_w;
      break;
    case beBadFormatParams:
      text = " Неверное число параметров формата столбца "_w;
      break;
    case beBadKind:
      text = " Неверный тип данных "_w;
      break;
    case beBadColumn:
      text = " Неверный номер столбца "_w;
      break;
    case beBadString:
      text = " Неправильная строковая константа "_w;
      break;
    case beBadHeaderParams:
      text = " Неверное число параметров заголовка "_w;
      break;
    case beFormatsMissing:
      text = " Заданы форматы не всех столбцов "_w;
      break;
    case beWidthsMissing:
      text = " Задана ширина не всех столбцов "_w;
      break;
    case beBadLineWidth:
      text = " Неверная толщина линии "_w;
      break;
    case beCondNotBracketed:
      text = " Условные типы данных должны быть в квадратных скобках "_w;
      break;
    case beBadCondFormat:
      text = " Неверное описание условного типа данных "_w;
      break;
    case beCondCompile:
      text = gConditionMessage;
      break;
    case beBadCondType:
      text = " Неверный тип условия "_w;
      break;
    case beBadAltText:
      text = " Неверная строковая константа "_w;
      break;
    case beFormatAgain:
      text = " Повторное объявление формата столбца "_w;
      break;
    case beUnknownCommand:
      text = " Неизвестная команда "_w;
      break;
    default:
      return {};
  }
  if (errLine < 0) return text;
  return "Ошибка в строке "_w + std::to_string(errLine + 1) + ": " + text;
}

std::unique_ptr<TBlankCondition> MakeFormulaCondition(TExprChain chain) {
  return std::make_unique<TFormulaCondition>(std::move(chain));
}

}  // namespace vm
