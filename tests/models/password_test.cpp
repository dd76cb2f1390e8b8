#include "models/password.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/encoding.h"
#include "support/scripted_ui.h"

namespace vm {
namespace {

struct Prompter {
  std::vector<std::optional<std::string>> answers;
  int asked = 0;
  TPasswordPrompt Prompt() {
    return [this]() -> std::optional<std::string> {
      return answers[static_cast<std::size_t>(asked++)];
    };
  }
};

TEST(Password, AnEmptyLevelIsNotAskedAndAWrongEntryIsToldAndAskedAgain) {
  test::ScriptedUi ui;
  TPasswordRecords records{};
  for (int32_t i = 1; i <= 16; ++i) PackPassword("", records[static_cast<std::size_t>(i - 1)], i);
  PackPassword("КЛЮЧ"_w, records[10], 11);

  Prompter none;
  EXPECT_TRUE(AskPassword(3, records, "", none.Prompt()));
  EXPECT_EQ(none.asked, 0);

  Prompter wrongThenRight{{"нет"_w, "ключ"_w}};
  EXPECT_TRUE(AskPassword(11, records, "", wrongThenRight.Prompt()));
  EXPECT_EQ(wrongThenRight.asked, 2);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Неверный пароль !"_w);

  // Blanks typed around it do not refuse the right password.
  Prompter padded{{" ключ  "_w}};
  EXPECT_TRUE(AskPassword(11, records, "", padded.Prompt()));
  EXPECT_EQ(padded.asked, 1);

  Prompter cancelled{{"нет"_w, std::nullopt}};
  EXPECT_FALSE(AskPassword(11, records, "", cancelled.Prompt()));

  // The built-in password is taken only exactly as it is.
  Prompter builtIn{{"Velomar20", StartUpBuiltInPassword()}};
  EXPECT_TRUE(AskPassword(11, records, StartUpBuiltInPassword(), builtIn.Prompt()));
  EXPECT_EQ(builtIn.asked, 2);
}

}  // namespace
}  // namespace vm
