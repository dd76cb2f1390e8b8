// LISTS: "NAME = TITLE:formula, W:n, H:n" declares a field list that the
// columns of tables offer (FORMS ... LISTS), so it comes before them.
#include "documents/compiler/compile_errors.h"
#include "documents/compiler/document_compiler_impl.h"
#include "documents/compiler/form_bindings.h"
#include "documents/compiler/section_values.h"

namespace vm {

namespace {

constexpr TParamSet kListsParams{kPkTitle, kPkW, kPkH};

}  // namespace

void TDocumentCompiler::ListsLine(const TElementLine& line) {
  line.CheckAllowed(kListsParams);
  CheckNewName(line.Name, 127);
  TFldList& list = doc_.FieldLists.Append(std::make_unique<TFldList>());
  list.Name = line.Name;
  if (!TypesCompatible(Formula(doc_, line.Find(kPkTitle, 128)->Value, list.Expr), 'C')) RaiseCompileError(133);
  list.Width = IntParam(*line.Find(kPkW, 129), 1, 8);
  list.Height = IntParam(*line.Find(kPkH, 130), 1, 8);
}

}  // namespace vm
