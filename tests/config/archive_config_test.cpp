#include "config/archive_config.h"

#include <gtest/gtest.h>

#include "config/page_format.h"
#include "platform/encoding.h"
#include "config/price_tags.h"

namespace vm {
namespace {

TEST(ArchiveConfigTest, CopiesAndFinds) {
  TArchiveConfigList list;
  TArchiveConfig* c = list.AddConfig();
  c->ID = 4;
  c->Name = "Продажи"_w;
  c->ArchiveNo = 2;
  c->Extra = "  доп "_w;
  TBaseArchive* b = c->AddBase();
  b->Alias = "SALES";
  b->DateField = "DATE";
  b->GroupField = "нет"_w;
  b->KeepLast = true;
  b->Links.push_back({3, b});
  c->AddBase()->Alias = "Goods";

  EXPECT_EQ(c->FindBase(" sales "), b);
  EXPECT_EQ(c->FindBase("Goods"), nullptr);  // stored in mixed case: never found
  EXPECT_EQ(list.FindByID(4), c);

  TArchiveConfigList copy;
  copy.AddConfig();
  list.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 1);
  const TArchiveConfig* d = copy.GetConfig(0);
  EXPECT_EQ(d->Name + "|" + d->Extra, "Продажи|ДОП"_w);
  ASSERT_EQ(d->Count(), 2);
  // Links are parsed, not copied.
  EXPECT_TRUE(d->GetBase(0)->Config == d && d->GetBase(0)->KeepLast && d->GetBase(0)->LinkCount() == 0);

  std::string keep, group;
  b->GetColumnText(4, keep);
  b->GetColumnText(3, group);
  EXPECT_EQ(keep + "|" + group, "Оставлять|нет"_w);
  EXPECT_TRUE(b->GetLink(0) && !b->GetLink(1));
}

TEST(PriceTagModelTest, NewItemsAndPageFormats) {
  DefaultFontName() = "Arial Cyr";
  TCenList tags;
  TCennik* tag = NewCennik(tags);
  EXPECT_TRUE(tag->Width == 50 && tag->LineWidth == 2);
  NewCenZone(tag->Zones);
  TCenZone* z = NewCenZone(tag->Zones);
  EXPECT_EQ(z->Text + "|" + z->FontName + "|" + std::to_string(z->FontSize), "'Зона №2'|Arial Cyr|18"_w);
  EXPECT_EQ(z->Rect, (std::array<int32_t, 4>{0, 0, 50, 50}));
  EXPECT_EQ(NewGraphObject(tag->Graphics)->LineWidth, 2);

  TPageFormatList formats;
  formats.AddFromText(" Этикетка ,01ab02"_w);
  formats.AddFromText("no comma");
  ASSERT_EQ(formats.Count(), 1);
  EXPECT_EQ(formats.GetItem(0).Name, "Этикетка"_w);
  std::string s;
  formats.FormatToText(0, s);
  EXPECT_EQ(s, "Этикетка,01AB02"_w);  // digits of either case
  EXPECT_TRUE(formats.FindByName("ЭТИКЕТКА"_w) && !formats.FindByName("A4"));

  // One byte; an odd last digit dropped; no comma, nothing; a stray
  // character is a 0 digit.
  formats.Clear();
  for (const char* text : {"A4,41", " A4 , 4", "A4", "B5,4g1 "}) formats.AddFromText(text);
  ASSERT_EQ(formats.Count(), 3);
  EXPECT_EQ(formats.GetItem(0).DeviceMode, "\x41");
  EXPECT_EQ(formats.GetItem(1).Name, "A4");
  EXPECT_EQ(formats.GetItem(1).Size(), 0);
  EXPECT_EQ(formats.GetItem(2).DeviceMode, "\x40");
  EXPECT_EQ(formats.FindByName("a4"), &formats.GetItem(0));

  // The designer's copy: separate formats that edit and delete on their own.
  TPageFormatList copy;
  copy.AddNew().Name = "stale";
  formats.CopyTo(copy);
  ASSERT_EQ(copy.Count(), 3);
  const TPageFormat* kept = copy.GetFormat(2);
  copy.GetFormat(0)->SetData("xyz");
  copy.Delete(1);
  copy.GetFormat(0)->ClearData();
  EXPECT_EQ(copy.GetFormat(1), kept);
  EXPECT_EQ(copy.GetFormat(0)->Size(), 0);
  EXPECT_EQ(copy.GetFormat(5), nullptr);
  EXPECT_EQ(formats.GetItem(0).DeviceMode, "\x41");
}

}  // namespace
}  // namespace vm
