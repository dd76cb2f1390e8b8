// Compiles whole descriptions against a small configuration: a page format
// "A4", an open database GOODS (NAME C10, QTY N5, SOLD D8), the
// blanks GOODSB (shown C, N.2, D and a hidden N) and BADB (which does not
// compile), two price-tag layouts (of two zones and of one), and the
// auto-parameters a test sets; the compile error box goes to a scripted host.
#pragma once

#include <string>
#include <string_view>
#include <initializer_list>
#include <utility>

#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/registries.h"
#include "documents/compiler/document_compiler.h"
#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {

class DocRig {
 public:
  DocRig() {
    Formats.Add({"A4", ""});
    Formats.Add({"A5", ""});
    Context.Bases = &Bases;
    Context.Blanks = &Blanks;
    Context.AutoParams = &Params;
    Context.PageFormats = &Formats;
    Context.StandardPaper = "A4";
    Context.PriceTags = &PriceTags;
    for (int zones : {2, 1}) {
      TCennik* tag = NewCennik(PriceTags);
      for (int z = 0; z < zones; ++z) NewCenZone(tag->Zones)->Text = "ZONE" + std::to_string(z + 1);
    }
    Blanks.Add("GOODSB")->SetText(
        "COLCOUNT=3,1\nLEVELCOUNT=1\nFORMAT[1]=C,0,0\nFORMAT[2]=N,0,2\nFORMAT[3]=D,0,0\n"
        "FORMAT[4]=N,0,0\nCOLWIDTH[1..3]=100\n");
    Blanks.Add("BADB")->SetText("COLCOUNT=x");
    TDbaseStructure& goods = *Bases.AddNew();
    goods.Alias = "GOODS";
    goods.FileName = "goods.dbf";
    TDBF& t = goods.Table;
    t.FileName = Tmp / "goods.dbf";
    Opened = t.CreateTable() && t.AddFieldEx("NAME", 10, 'C', 0) && t.AddFieldEx("QTY", 5, 'N', 0) &&
             t.AddFieldEx("SOLD", 8, 'D', 0) && t.WriteStructure();
  }

  void AddParam(std::string name, char kind, std::string value) {
    TAPar* p = Params.AddNew();
    p->Name = std::move(name);
    p->Kind = kind;
    p->ValueText = std::move(value);
  }

  // Records of GOODS, bound as G: name and quantity, sold on 1.02.2026.
  void AddGoods(std::initializer_list<std::pair<const char*, int>> rows) {
    TUBL* g = Doc.Bases.FindByAlias("G");
    if (g == nullptr) return;
    TStringBase& t = g->Table;
    for (const auto& [name, qty] : rows) {
      t.Append();
      TCommonVar v;
      TextToValue(name, 'C', v);
      t.SetValue(t.FieldIndex("NAME"), v);
      TextToValue(std::to_string(qty), 'N', v);
      t.SetValue(t.FieldIndex("QTY"), v);
      TextToValue("1.02.2026", 'D', v);
      t.SetValue(t.FieldIndex("SOLD"), v);
    }
  }

  // 0 or the error code; the shown message, as UTF-8, in Message.
  int Compile(std::string_view utf8, bool startOfDay = false) {
    text_ = Utf8ToCp1251(utf8);
    Code = CompileDocument(Doc, {"TEST", text_, startOfDay}, Context, Line);
    Message = Cp1251ToUtf8(Doc.ErrorMessage);
    return Code;
  }
  // A description that needs no width error: WIDTH given first.
  int CompileForm(std::string_view utf8) {
    return Compile("BLANK\nWIDTH = 500\nENDSECTION\n" + std::string(utf8));
  }

  // Fifteen lines before the given ones: a form width, the variables A, R,
  // N (N), S (C), D (D) and TM (T), the database G (GOODS by NAME) and the
  // table T1 (GOODSB keyed on its first column, without a look-up page).
  static std::string WithTable(std::string_view lines) {
    return "BLANK\nWIDTH = 500\nENDSECTION\n"
           "VARS\nA, R, N = N\nS = C\nD = D\nTM = T\nENDSECTION\n"
           "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
           "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1]\nENDSECTION\n" +
           std::string(lines);
  }

  TempDir Tmp;
  TUsedBaseList Bases;
  TBlanks Blanks;
  TAutoList Params;
  TPageFormatList Formats;
  TCenList PriceTags;
  TCompileContext Context;
  ScriptedUi Ui;
  TCompiledDocument Doc;
  bool Opened = false;
  int Code = 0;
  int Line = 0;
  std::string Message;

 private:
  std::string text_;
};

}  // namespace vm::test
