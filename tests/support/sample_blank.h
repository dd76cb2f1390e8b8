// A two-level blank of goods with a few rows, for the table drawing tests.
#pragma once

#include <string>

#include "platform/encoding.h"
#include "support/text_rows.h"

namespace vm::test {

inline std::string GoodsBlankText() {
  return "COLCOUNT=3\n"
         "LEVELCOUNT=2\n"
         "HEADER[1..2]='Товар'\n"
         "HEADER[3]='Кол-во'\n"
         "LEVEL=2\n"
         "HEADER[1]='Название'\n"
         "HEADER[2]='Цена'\n"
         "FORMAT[1]=C,30,0\n"
         "FORMAT[2]=N,10,2\n"
         "FORMAT[3]=N,6,0\n"
         "COLWIDTH[1]=400\n"
         "COLWIDTH[2]=200\n"
         "COLWIDTH[3]=150\n"_w;
}

inline TextRows GoodsRows() {
  return TextRows({{"Велосипед горный"_w, "15400.5", "2"},
                   {"Шлем"_w, "1200", "10"},
                   {"Насос ручной с манометром и гибким шлангом"_w, "850.25", "4"}});
}

}  // namespace vm::test
