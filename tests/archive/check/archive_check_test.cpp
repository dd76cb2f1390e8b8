#include "archive/check/archive_check.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

class ArchiveCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* alias : {"GOODS", "SALES"}) {
      const std::string file = std::string(alias) + ".DBF";
      ASSERT_TRUE(test::WriteGoods(tmp_ / file, {{"A", "", "1"}}));
      TDbaseStructure* b = bases_.AddNew();
      b->Alias = alias;
      b->FileName = file;
      b->Table.FileName = tmp_ / file;
    }
    goods_ = config_.AddBase();
    goods_->Alias = "GOODS";
    goods_->DateField = "DAT";
    goods_->GroupField = "нет"_w;
    sales_ = config_.AddBase();
    sales_->Alias = "SALES";
    sales_->DateField = "DAT";
    sales_->GroupField = "PRICE";
  }

  // The message of checking the goods entry; "" when it passes.
  std::string Check() {
    std::string msg;
    return CheckArchiveConfig(*goods_, bases_, msg) ? "" : msg;
  }

  test::TempDir tmp_;
  TUsedBaseList bases_;
  TArchiveConfig config_;
  TBaseArchive* goods_ = nullptr;
  TBaseArchive* sales_ = nullptr;
};

TEST_F(ArchiveCheckTest, EveryMessageOfTheCheck) {
  EXPECT_EQ(Check(), "");
  goods_->Condition = "GOODS.NOSUCH>1";
  EXPECT_NE(Check(), "");  // the compiler's own message
  goods_->Condition = "";
  // Each entry changed alone, then put back.
  using Field = std::string TBaseArchive::*;
  const Field cond = &TBaseArchive::Condition, date = &TBaseArchive::DateField, group = &TBaseArchive::GroupField,
              links = &TBaseArchive::LinkedFields;
  for (const auto& [field, text, msg] : std::vector<std::tuple<Field, std::string, std::string>>{
           {cond, "GOODS.PRICE>10", ""},
           {cond, "GOODS.CODE", "Неверный тип условия"_w},
           {date, "WHEN", "Несуществующее поле 'WHEN'"_w},
           {date, "PRICE", "Неверный тип поля PRICE"_w},
           {group, "НЕТ"_w, "Несуществующее поле 'НЕТ'"_w},  // only the exact word means none
           {group, "CODE", "Неверный тип поля CODE"_w},
           {links, "sales: code", ""},
           {links, "SALES CODE", "Отсутствует разделитель ':'"_w},
           {links, "   ", "Отсутствует разделитель ':'"_w},
           {links, "SALES:CODE, GOODS", "Отсутствует разделитель ':'"_w},
           {links, "SALES:CODE:NAME", "Неверное имя поля 'CODE:NAME'"_w},
           {links, "SALES:NOSUCH", "Неверное имя поля 'NOSUCH'"_w},
           {links, "OTHER:CODE", "База 'OTHER' отсутствует в текущей конфигурации"_w},
           {links, "SALES:CODE, GOODS:NAME:", "Неверное имя поля 'NAME:'"_w},
           {&TBaseArchive::Alias, "NONE", "Неизвестный псевдоним базы: NONE !"_w}}) {
    const std::string kept = goods_->*field;
    goods_->*field = text;
    EXPECT_EQ(Check(), msg) << text;
    goods_->*field = kept;
  }

  TDBF holder;  // another open holds the table
  holder.FileName = tmp_ / "GOODS.DBF";
  ASSERT_TRUE(holder.OpenExclusive());
  EXPECT_EQ(Check(), "База GOODS занята !"_w);
  EXPECT_EQ(goods_->Binding, nullptr);  // a failed check leaves the entry released

  int32_t bad = 0;
  std::string msg;
  EXPECT_EQ((std::tuple{CheckConfig(config_, bases_, bad, msg), bad}), std::tuple(false, 0));
  holder.Close();
  EXPECT_EQ((std::tuple{CheckConfig(config_, bases_, bad, msg), bad}), std::tuple(true, -1));
}

TEST_F(ArchiveCheckTest, PreparedEntriesStayBound) {
  goods_->LinkedFields = "SALES:CODE";
  goods_->Condition = "GOODS.PRICE>0";
  ASSERT_TRUE(PrepareAll(config_, bases_));
  EXPECT_NE(goods_->Binding, nullptr);
  EXPECT_EQ(goods_->Dbf, &bases_.FindByAlias("GOODS")->Table);
  EXPECT_EQ(std::tuple(goods_->DateIndex, goods_->GroupIndex, sales_->GroupIndex, goods_->PackName),
            std::tuple(test::kGoodsDate, -1, test::kGoodsPrice, "GOODS.DPK"));
  ASSERT_EQ(goods_->LinkCount(), 1);
  EXPECT_TRUE(goods_->GetLink(0)->Target == sales_ && sales_->IsLinkTarget);
  ReleaseAll(config_);
  EXPECT_TRUE(goods_->LinkCount() == 0 && goods_->Dbf == nullptr);

  sales_->DateField = "NAME";
  EXPECT_FALSE(PrepareAll(config_, bases_));
  EXPECT_EQ(sales_->Binding, nullptr);
  goods_->AllocFieldMap();
  EXPECT_EQ(goods_->MapCount(), 0);  // no archive table
  goods_->ArchiveTable = std::make_unique<TDBF>();
  for (const char* name : {"A", "B", "C"}) goods_->ArchiveTable->AddFieldEx(name, 4, 'N', 0);
  goods_->AllocFieldMap();
  EXPECT_TRUE(goods_->MapCount() == 2 && goods_->GetFieldMapEntry(2) == nullptr);

  TArchiveConfig empty;
  EXPECT_FALSE(PrepareAll(empty, bases_));
  EXPECT_EQ(ArchiveCheckFailedText(), "Ошибка проверки конфигурации"_w);
}

}  // namespace
}  // namespace vm
