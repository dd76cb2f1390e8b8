// FORMS: the tables of the document.
#include "documents/compile_errors.h"
#include "documents/document_compiler_impl.h"

namespace vm {

void TDocumentCompiler::FormsLine(const TElementLine& /*line*/) {}

}  // namespace vm
