// The built-ins over bases and templates inside a compiled document: its
// bases, its subroutines (declared before the formulas that name them)
// and its predefined variables reach them.
#include <gtest/gtest.h>

#include <tuple>

#include "doc_rig.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

TEST(DocumentBuiltins, SubroutinesAndPredefinedVariablesReachTheBuiltins) {
  DocRig rig;
  ASSERT_TRUE(rig.Opened);
  ASSERT_EQ(rig.CompileForm("VARS\nNEWS = N\nENDSECTION\n"
                            "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nH = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
                            "SUBROUTINE = COPY\nNEWS := NEWS * 10 + ISNEWROW\nG.QTY := H.QTY\nENDSUB\n"
                            "INIT\nADDRECORD(H)\nH.NAME := 'tea'\nH.QTY := 3\nADDRECORD(H)\nH.NAME := 'milk'\n"
                            "ADDBASEKEY(G, H, 0, COPY)\nSAVEBASE(G)\nENDSECTION"),
            0)
      << rig.Message;
  Interp().BeginDocumentRun();
  Interp().ExecProgram(rig.Doc.Programs.Init);
  ASSERT_EQ(Interp().ErrorCode(), 0) << Interp().ErrorText();
  TUBL& g = *rig.Doc.Bases.FindByAlias("G");
  EXPECT_EQ(std::tuple(rig.Doc.Context.Symbols().FindVariable("NEWS")->Value.Num, g.Table.Count(), g.Table.Number),
            std::tuple(11.0L, 2, 1));
  EXPECT_TRUE(rig.Doc.Bases.WriteSavedBases());
  EXPECT_EQ(rig.Bases.FindByAlias("GOODS")->Table.RecCount(), 2);
}

}  // namespace
}  // namespace vm::test
