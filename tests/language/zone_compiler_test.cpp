#include "language/zone_compiler.h"

#include <gtest/gtest.h>

#include <tuple>

#include "config/settings.h"
#include "expr_fakes.h"
#include "platform/encoding.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

// A context with one form, F, which a zone cannot print.
class FormContext : public TExprContext {
 public:
  IExprForm* FindForm(std::string_view name) override { return name == "F" ? &form_ : nullptr; }

 private:
  testing::FakeForm form_{"N"};
};

TEST(ZoneCompiler, ZonesCompileAsTheSettingsLoad) {
  test::TempDir tmp;
  test::WriteBytes(tmp / "program.ini", "[ЦЕННИКИ]\r\n"
                                        "НОМ_ЦЕН=0\r\n"
                                        "НОМ_ЗОНЫ=0\r\n"
                                        "ТЕКСТ= 'Цена '+'1'\r\n"
                                        "НОМ_ЗОНЫ=1\r\n"
                                        "ТЕКСТ=НЕИЗВЕСТНО\r\n"
                                        "НОМ_ЗОНЫ=2\r\n"
                                        "ТЕКСТ=F\r\n"
                                        "НОМ_ЗОНЫ=3\r\n"
                                        "ТЕКСТ=2*3\r\n"_w);
  FormContext context;
  TZoneCompiler compiler(&context);
  TSettingsModel m;
  m.ZoneCompiler = &compiler;
  ASSERT_TRUE(ReadConfigurationFile(0, tmp / "program.ini", m));
  ASSERT_EQ(m.PriceTags.Count(), 1);
  const TCennik& tag = *m.PriceTags.GetItem(0);
  ASSERT_EQ(tag.ZoneCount(), 4);
  EXPECT_EQ(tag.GetZone(0)->Text, " 'Цена '+'1'"_w);  // kept as written
  ASSERT_NE(CompiledZone(*tag.GetZone(0)), nullptr);
  EXPECT_EQ(std::tuple(CompiledZone(*tag.GetZone(0))->ResultType, tag.GetZone(0)->ErrorText), std::tuple('C', ""));
  EXPECT_TRUE(CompiledZone(*tag.GetZone(1)) == nullptr && CompiledZone(*tag.GetZone(2)) == nullptr);
  EXPECT_NE(tag.GetZone(1)->ErrorText.find("НЕИЗВЕСТНО"_w), std::string::npos);  // the compiler's message
  EXPECT_EQ(tag.GetZone(2)->ErrorText, "Неверный тип выражения"_w);
  int err = 0;
  TCommonVar v;
  EvalExpr(CompiledZone(*tag.GetZone(3))->Expr, err, v);
  EXPECT_EQ(v.Num, 6);

  // Without a compiler the texts are only kept.
  TSettingsModel plain;
  ASSERT_TRUE(ReadConfigurationFile(0, tmp / "program.ini", plain));
  const TCenZone& kept = *plain.PriceTags.GetItem(0)->GetZone(3);
  EXPECT_TRUE(kept.Text == "2*3" && kept.Compiled == nullptr);
}

}  // namespace
}  // namespace vm
