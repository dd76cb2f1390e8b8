#include "language/archive_check.h"

#include <gtest/gtest.h>

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
  goods_->Condition = "GOODS.PRICE>10";
  EXPECT_EQ(Check(), "");
  goods_->Condition = "GOODS.CODE";
  EXPECT_EQ(Check(), "Неверный тип условия"_w);
  goods_->Condition = "GOODS.NOSUCH>1";
  EXPECT_NE(Check(), "");  // the compiler's own message
  goods_->Condition = "";
  goods_->DateField = "WHEN";
  EXPECT_EQ(Check(), "Несуществующее поле 'WHEN'"_w);
  goods_->DateField = "PRICE";
  EXPECT_EQ(Check(), "Неверный тип поля PRICE"_w);
  goods_->DateField = "DAT";
  goods_->GroupField = "НЕТ"_w;  // only the exact word means none
  EXPECT_EQ(Check(), "Несуществующее поле 'НЕТ'"_w);
  goods_->GroupField = "CODE";
  EXPECT_EQ(Check(), "Неверный тип поля CODE"_w);
  goods_->GroupField = "нет"_w;

  goods_->LinkedFields = "sales: code";
  EXPECT_EQ(Check(), "");
  for (const auto& [text, msg] : std::vector<std::pair<std::string, std::string>>{
           {"SALES CODE", "Отсутствует разделитель ':'"_w},
           {"   ", "Отсутствует разделитель ':'"_w},
           {"SALES:CODE, GOODS", "Отсутствует разделитель ':'"_w},
           {"SALES:CODE:NAME", "Неверное имя поля 'CODE:NAME'"_w},
           {"SALES:NOSUCH", "Неверное имя поля 'NOSUCH'"_w},
           {"OTHER:CODE", "База 'OTHER' отсутствует в текущей конфигурации"_w},
           {"SALES:CODE, GOODS:NAME:", "Неверное имя поля 'NAME:'"_w},
       }) {
    goods_->LinkedFields = text;
    EXPECT_EQ(Check(), msg) << text;
  }
  goods_->LinkedFields = "";

  goods_->Alias = "NONE";
  EXPECT_EQ(Check(), "Неизвестный псевдоним базы: NONE !"_w);
  goods_->Alias = "GOODS";
  TDBF holder;  // another open holds the table
  holder.FileName = tmp_ / "GOODS.DBF";
  ASSERT_TRUE(holder.OpenExclusive());
  EXPECT_EQ(Check(), "База GOODS занята !"_w);
  EXPECT_EQ(goods_->Binding, nullptr);  // a failed check leaves the entry released

  int32_t bad = 0;
  std::string msg;
  EXPECT_FALSE(CheckConfig(config_, bases_, bad, msg));
  EXPECT_EQ(bad, 0);
  holder.Close();
  EXPECT_TRUE(CheckConfig(config_, bases_, bad, msg));
  EXPECT_EQ(bad, -1);
}

TEST_F(ArchiveCheckTest, PreparedEntriesStayBound) {
  goods_->LinkedFields = "SALES:CODE";
  goods_->Condition = "GOODS.PRICE>0";
  ASSERT_TRUE(PrepareAll(config_, bases_));
  EXPECT_NE(goods_->Binding, nullptr);
  EXPECT_EQ(goods_->Dbf, &bases_.FindByAlias("GOODS")->Table);
  EXPECT_EQ(goods_->DateIndex, test::kGoodsDate);
  EXPECT_EQ(goods_->GroupIndex, -1);
  EXPECT_EQ(sales_->GroupIndex, test::kGoodsPrice);
  EXPECT_EQ(goods_->PackName, "GOODS.DPK");
  ASSERT_EQ(goods_->LinkCount(), 1);
  EXPECT_EQ(goods_->GetLink(0)->Target, sales_);
  EXPECT_TRUE(sales_->IsLinkTarget);
  ReleaseAll(config_);
  EXPECT_EQ(goods_->LinkCount(), 0);
  EXPECT_EQ(goods_->Dbf, nullptr);

  sales_->DateField = "NAME";
  EXPECT_FALSE(PrepareAll(config_, bases_));
  EXPECT_EQ(sales_->Binding, nullptr);
  goods_->AllocFieldMap();
  EXPECT_EQ(goods_->MapCount(), 0);  // no archive table
  goods_->ArchiveTable = std::make_unique<TDBF>();
  for (const char* name : {"A", "B", "C"}) goods_->ArchiveTable->AddFieldEx(name, 4, 'N', 0);
  goods_->AllocFieldMap();
  EXPECT_EQ(goods_->MapCount(), 2);
  EXPECT_EQ(goods_->GetFieldMapEntry(2), nullptr);

  TArchiveConfig empty;
  EXPECT_FALSE(PrepareAll(empty, bases_));
  EXPECT_EQ(ArchiveCheckFailedText(), "Ошибка проверки конфигурации"_w);
}

}  // namespace
}  // namespace vm
