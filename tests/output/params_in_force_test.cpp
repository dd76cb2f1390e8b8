// The price-tag zones and the conditional formats of blanks name the
// auto-parameters in force: the designer's working ones while it edits, the
// configuration's own otherwise, whatever changed them since the start-up.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/demo_rig.h"
#include "config/blanks.h"
#include "config/data_dir.h"
#include "config/price_tags.h"
#include "config/settings.h"
#include "documents/compiled_document.h"
#include "documents/designer/designer.h"
#include "documents/document_commit.h"
#include "foundation/values/values.h"
#include "models/layout_lang.h"
#include "models/startup.h"
#include "output/price_tag_draw.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

namespace vm::test {
namespace {

struct ParamsInForce : ::testing::Test {
  ParamsInForce() {
    CopyDemoTo(Home.Dir());
    EXPECT_EQ(StartUp(), 0);
    UnlockBases();
  }
  ~ParamsInForce() override {
    ShutDown();
    CenZoneCompileEnabled() = false;
  }

  // A zone of a tag of tags printing expression as it comes out.
  static TCenZone& Zone(TCenList& tags, const std::string& expression) {
    TCenZone& zone = *NewCenZone(NewCennik(tags)->Zones);
    zone.LetterCase = 2;
    CompileCenZone(zone, expression);
    return zone;
  }

  // Whether column 1 of blank takes its first conditional format.
  static bool FirstFormatHolds(TCurBlank& blank) {
    const TColDescr* column = BlankColumn(blank, 1);
    return column && column->CondFormats && column->CondFormats->Condition->Holds();
  }

  ProgramHome Home;
  ScriptedUi Ui;
};

const std::string kShopBlank = "COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\n"
                               "FORMAT[1]=V[[%МАГАЗИН%='Лавка',N,0,0],[0,C,0,0]]"_w;

// A parameter changed, deleted or added in the designer: the tag preview
// reads the working value at once, and every tag of the configuration reads
// the new one after OK compiles its zones again.
TEST_F(ParamsInForce, TheDesignersChangesReachThePreviewAndAfterOkEveryTag) {
  enum TEdit { Change, Delete, Add };
  const struct {
    TEdit Edit;
    std::string Zone, Preview, AfterOk;
  } cases[] = {
      {Change, "%МАГАЗИН%"_w, "Лавка"_w, "Лавка"_w},
      {Delete, "%МАГАЗИН%"_w, "", " Несуществующий автопараметр МАГАЗИН"_w},
      {Add, "%ЛАВКА%"_w, "У моста"_w, "У моста"_w},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Edit);
    Zone(Settings().PriceTags, c.Zone);
    const int32_t liveTag = Settings().PriceTags.Count() - 1;
    TDesignerHost host;
    TDesigner designer(Settings(), host);
    designer.Show();
    TCenZone& preview = Zone(designer.PriceTags, c.Zone);
    TAutoParamsPage& page = designer.AutoParamsPage;
    page.AutoParamRow = designer.AutoParams.IndexOfName("МАГАЗИН"_w);
    switch (c.Edit) {
      case Change:
        page.ChangeAutoParam("Лавка"_w, false);
        break;
      case Delete:
        Ui.Answers = {kIdYes};
        ASSERT_TRUE(page.DeleteAutoParam());
        break;
      case Add:
        ASSERT_TRUE(page.AddAutoParam("лавка"_w, "У моста"_w, "Строка"_w));
        // As the zone dialog stores the expression typed.
        CompileCenZone(preview, preview.Text);
        break;
    }
    EXPECT_EQ(EvalCenZone(preview), c.Preview);
    ASSERT_TRUE(designer.Ok());
    designer.Hide();
    // OK put the working tags in place of the configuration's.
    EXPECT_EQ(EvalCenZone(*Settings().PriceTags.GetItem(liveTag)->GetZone(0)), c.AfterOk);
  }
}

// The form preview compiles the conditions against the working parameters
// and tests them with their working values; "Отмена" goes back to the
// configuration's own.
TEST_F(ParamsInForce, TheFormPreviewTestsItsConditionsWithTheWorkingParameters) {
  TDesignerHost host;
  TDesigner designer(Settings(), host);
  designer.Show();
  ASSERT_TRUE(designer.AutoParamsPage.AddAutoParam("лавка"_w, "У моста"_w, "Строка"_w));
  ASSERT_TRUE(designer.FormsPage.AddBlank("ПРОБА"_w));
  TCurBlank& blank = *designer.Blanks.FindByName("ПРОБА"_w);
  blank.SetText("COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\n"
                "FORMAT[1]=V[[%ЛАВКА%='У моста',N,0,0],[0,C,0,0]]"_w);
  const TDesignerRunEnd end = designer.FormsPage.CompileBlankForPreview();
  ASSERT_FALSE(end.Error) << Cp1251ToUtf8(Ui.Boxes.empty() ? "" : Ui.Boxes.back().Text);
  EXPECT_TRUE(FirstFormatHolds(blank));
  designer.AutoParamsPage.ChangeAutoParam("Лавка"_w, false);
  EXPECT_FALSE(FirstFormatHolds(blank));

  TCurBlank shop;
  shop.SetText(kShopBlank);
  int32_t code = 0, line = 0;
  ASSERT_TRUE(CompileBlank(shop, code, line));
  designer.AutoParamsPage.AutoParamRow = designer.AutoParams.IndexOfName("МАГАЗИН"_w);
  designer.AutoParamsPage.ChangeAutoParam("Лавка"_w, false);
  EXPECT_TRUE(FirstFormatHolds(shop));
  Ui.Answers = {kIdYes};
  ASSERT_TRUE(designer.Cancel());
  EXPECT_FALSE(FirstFormatHolds(shop));
  designer.Hide();
}

// A value a document committed, or one "manager.ini" brought back, is what
// the tags print and what the conditions of the next document's forms test.
TEST_F(ParamsInForce, ACommittedOrReloadedValueIsSeenByZonesAndConditions) {
  TCenZone& zone = Zone(Settings().PriceTags, "%МАГАЗИН%"_w);
  TCurBlank blank;
  blank.SetText(kShopBlank);
  int32_t code = 0, line = 0;
  ASSERT_TRUE(CompileBlank(blank, code, line));
  ASSERT_EQ(std::tuple(EvalCenZone(zone), FirstFormatHolds(blank)),
            std::tuple("Магазин «Колосок»"_w, false));

  TCompiledDocument doc;
  doc.AutoParams.Assign(Settings().AutoParams);
  TCommonVar shop;
  shop.Kind = 'C';
  shop.Str = "Лавка"_w;
  doc.AutoParams.Find("МАГАЗИН"_w)->SetValue(shop);
  ASSERT_TRUE(CommitDocument(doc));
  EXPECT_EQ(std::tuple(EvalCenZone(zone), FirstFormatHolds(blank)), std::tuple("Лавка"_w, true));

  TSettingsModel other;
  Settings().AutoParams.CopyTo(other.AutoParams);
  other.AutoParams.FindByName("МАГАЗИН"_w)->ValueText = "Ларёк"_w;
  ASSERT_TRUE(SaveAutoParamsTo(ManagerIniName(), other));
  ASSERT_TRUE(ReloadAutoParams());
  EXPECT_EQ(std::tuple(EvalCenZone(zone), FirstFormatHolds(blank)), std::tuple("Ларёк"_w, false));
}

}  // namespace
}  // namespace vm::test
