// Values that the element lines of several sections read alike: a formula
// of the document, a string constant, a column list, a list of key columns,
// the blank a FORM parameter names and the fixed format of a blank column.
// Each raises the compile error of what it reads.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "documents/compiled_document.h"
#include "documents/compiler/document_compiler.h"
#include "documents/compiler/element_line.h"
#include "foundation/tables/key_cols.h"

namespace vm {

// Compiled in the document's context; its type letter, or error -1 with the
// expression compiler's words.
char Formula(TCompiledDocument& doc, std::string_view text, TExprChain& chain);

// Quoted parts and #nnn codes, the text trimmed first; 33 when it does not
// decode.
std::string StringConstant(std::string_view text);

// "[c, ...]": each item an integer (else notInteger) from low to high (else
// outOfRange); 20 without the brackets.
std::vector<int32_t> ColumnList(std::string_view value, int32_t low, int32_t high, int notInteger,
                                int outOfRange);

// KEYCOL: shown columns (1-based in the text) without repeats, each kept
// 0-based with the kind letter kindOf gives it.
void ReadKeyColumnList(const TElementParam& keycol, int32_t shownColumns,
                       const std::function<char(int32_t)>& kindOf, std::unique_ptr<TKeyCol>& keys,
                       int32_t& count);

// FORM (required): the blank it names, compiled when it is not yet.
TCurBlank& FormBlank(const TCompileContext& context, const TElementLine& line);

// The format every row of a 0-based blank column takes; nullptr for a
// column with conditional formats (or no such column), whose kind is
// known only per row.
const TColFormat* FixedFormat(const TCurBlank& blank, int32_t column);

}  // namespace vm
