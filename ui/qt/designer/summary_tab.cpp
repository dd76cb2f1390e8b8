#include <QVBoxLayout>

#include "config/price_tags.h"
#include "platform/encoding.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/qt_text.h"

namespace vm {

TSummaryTab::TSummaryTab(TDesigner& designer, TDesignerTab tab, QWidget* parent)
    : TDesignerTabBase(designer, parent), tab_(tab) {
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(this);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setWordWrap(true);
  layout->addWidget(text_, 1);
}

void TSummaryTab::Refresh() {
  std::string s;
  const TDesignerMisc& m = d_.Misc;
  switch (tab_) {
    case TDesignerTab::Misc:
      s = "Заголовок: "_w + m.Title + "\nКаталог баз: "_w + m.BaseDir +
          (m.Network ? "  (сеть)"_w : std::string()) + "\nШрифт: "_w + m.FontName +
          "\nПринтер: "_w + m.PrinterName + "\nКоэффициент прокрутки, %: "_w + m.ScrollText +
          "\n"_w + (m.SystemClock ? "Использовать системные часы"_w
                                  : "Устанавливать значение даты вручную"_w);
      break;
    case TDesignerTab::Archive:
      s = "Конфигурации архивов:"_w;
      for (int32_t i = 0; i < d_.ArchiveConfigs.Count(); ++i)
        s += "\n  " + d_.ArchiveConfigs.GetConfig(i)->Name;
      break;
    case TDesignerTab::Labels:
      s = "Ценников: "_w + std::to_string(Settings().PriceTags.Count());
      break;
    default:
      s = "Форматы страниц:"_w;
      for (int32_t i = 0; i < d_.PageFormatList.Count(); ++i)
        s += "\n  " + d_.PageFormatList.GetItem(i).Name;
      s += "\nФормат по умолчанию: "_w + m.DefaultFormatName;
      break;
  }
  text_->setText(ToQt(s));
}

}  // namespace vm
