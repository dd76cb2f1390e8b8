#include "config/settings_syntax.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <tuple>

#include "platform/encoding.h"
#include "config/price_tags.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::ReadBytes;
using test::WriteBytes;

TEST(SettingsSyntaxTest, ClassifiesLinesAndLooksUpNames) {
  using Line = std::tuple<int32_t, std::string, std::string>;
  auto classify = [](std::string_view text) {
    std::string name, value;
    const int32_t kind = ClassifySettingsLine(text, name, value);
    return Line{kind, kind ? name : "", kind == 2 ? value : ""};
  };
  EXPECT_EQ(classify("  [ ОБ ЩИЕ\t]  "_w), (Line{1, "ОБЩИЕ"_w, ""}));
  EXPECT_EQ(classify("\t ИМЯ _ПОЛЯ =  a=b "_w), (Line{2, "ИМЯ_ПОЛЯ"_w, "  a=b"}));
  for (const char* blank : {"   ", "; comment", "["}) EXPECT_EQ(classify(blank), (Line{0, "", ""})) << blank;
  EXPECT_EQ((std::array{SectionIndex("ОБЩИЕ"_w), KeyIndex("ИМЯ_ПОЛЯ"_w), SectionIndex("общие"_w)}),
            (std::array<int32_t, 3>{kSecCommon, kKeyFieldName, 0}));  // exact compare
  for (int32_t i = 1; i <= 88; ++i) EXPECT_EQ(KeyIndex(KeyName(i)), i);
  for (int32_t i = 1; i <= 13; ++i) EXPECT_EQ(SectionIndex(SectionName(i)), i);
}

TEST(SettingsSyntaxTest, ValueForms) {
  EXPECT_EQ((std::array{SettingTextToBool(" да\t"_w), SettingTextToBool("ДАА"_w), SettingTextToBool("YES")}),
            (std::array{true, false, false}));
  // A leading blank is not trimmed.
  EXPECT_EQ((std::string{FieldTypeFromName("число"_w), FieldTypeFromName("Дата"_w),
                         FieldTypeFromName(" Дата"_w)}),
            "NDC");

  EXPECT_EQ(IntListToStr({-10, 0, 800, 600}), "-10,0,800,600");
  EXPECT_EQ(StrToIntList(" 1, 2 ,x,4"), (std::array<int32_t, 4>{1, 2, 0, 4}));
  EXPECT_EQ(StrToIntList("7"), (std::array<int32_t, 4>{7, 0, 0, 0}));

  EXPECT_EQ(FontStyleToStr(kFsBold | kFsStrikeOut) + "|" + FontStyleToStr(0), "0,3|");
  // At most four items are read.
  EXPECT_EQ((std::array<int, 3>{StrToFontStyle("1"), StrToFontStyle(""), StrToFontStyle("4,,x,2,0")}),
            (std::array{2, 0, 4}));
  EXPECT_EQ(NonPrintCharsToStr("\r\nA"), "#13#10#65");
  // The stored size 18 reads as 4 in the settings tests; every size comes back.
  for (int32_t stored = 0; stored < 40; ++stored)
    EXPECT_EQ(ScaleFontSize(UnscaleFontSize(stored)), stored);
  EXPECT_EQ(UnscaleFontSize(2000000000), INT32_MAX);
  EXPECT_EQ(UnscaleFontSize(-2000000000), INT32_MIN);

  const struct {
    const char* text;
    std::optional<int32_t> value;
    bool valid;
  } numbers[] = {{"  -12", -12, true}, {"$1F", 31, true},       {"x10", 16, true},
                 {"0x10", 16, true},   {"12ab", 12, false},     {"12 ", 12, false},
                 {"", {}, false},      {"99999999999", {}, false}, {"-2147483648", INT32_MIN, true}};
  for (const auto& n : numbers) {
    bool valid = !n.valid;
    const int32_t value = SettingsNumber(n.text, valid);
    EXPECT_EQ(n.value.value_or(value), value) << n.text;
    EXPECT_EQ(valid, n.valid) << n.text;
  }

  EXPECT_EQ(SplitTextLines("a\r\nb\rc\n\nd\r\n"),
            (std::vector<std::string>{"a", "b", "c", "", "d"}));
  EXPECT_TRUE(SplitTextLines("").empty());
}

TEST(SettingsSyntaxTest, WriterKeepsFiveCopiesAndNeverLeavesHalfAFile) {
  test::TempDir dir;
  const std::string path = dir / "program.ini";
  auto version = [](int i) {
    return "\r\n  [ОБЩИЕ]\r\n    ШРИФТ=v"_w + std::to_string(i) + "  ИМЯ_БАЗЫ=x\r\n"_w;
  };
  for (int i = 1; i <= 7; ++i) {
    TSettingsWriter w;
    w.Section(kSecCommon);
    w.Key(4, kKeyDefaultFont, "v" + std::to_string(i) + "\r\nИМЯ_БАЗЫ=x"_w);
    ASSERT_TRUE(w.Commit(path, 5));
  }
  EXPECT_EQ(ReadBytes(path), version(7));
  for (int k = 1; k <= 5; ++k)
    EXPECT_EQ(ReadBytes(dir / ("program.in" + std::to_string(k))), version(7 - k));
  EXPECT_FALSE(std::filesystem::exists(dir / "program.in6"));

  // A disk that fills up during the write leaves the file and its copies.
  {
    test::FaultyFileSystem full;
    full.WriteBudget = 10;
    TSettingsWriter bad;
    bad.Line(std::string(100, 'x'));
    EXPECT_FALSE(bad.Commit(path, 5));
  }
  EXPECT_EQ(ReadBytes(path), version(7));
  EXPECT_EQ(ReadBytes(dir / "program.in1"), version(6));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            6);

  // A data directory from a Windows workstation keeps its spelling.
  WriteBytes(dir / "MANAGER.INI", "old");
  TSettingsWriter w;
  w.Line("new");
  ASSERT_TRUE(w.Commit(dir / "manager.ini", 5));
  EXPECT_EQ(ReadBytes(dir / "MANAGER.INI"), "new\r\n");
  EXPECT_EQ(ReadBytes(dir / "MANAGER.IN1"), "old");

  // Short or missing extensions number their copies after a dot.
  WriteBytes(dir / "settings", "one");
  RotateBackups(dir / "settings", 5);
  EXPECT_EQ(ReadBytes(dir / "settings.1"), "one");
  WriteBytes(dir / "x.i", "two");
  RotateBackups(dir / "x.i", 12);
  EXPECT_EQ(ReadBytes(dir / "x.1"), "two");
  // A gap in the copies is not bridged by an older file.
  WriteBytes(dir / "gap.in2", "old");
  RotateBackups(dir / "gap.ini", 5);
  EXPECT_FALSE(std::filesystem::exists(dir / "gap.in1"));
  EXPECT_FALSE(std::filesystem::exists(dir / "gap.in2"));
  EXPECT_EQ(ReadBytes(dir / "gap.in3"), "old");
}

}  // namespace
}  // namespace vm
