// Descriptions that must each fail with their code at their line.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "documents/doc_rig.h"

namespace vm::test {

struct LineErrorCase {
  std::string Line;
  int Code;
};

struct ErrorCase {
  std::string Text;
  int Code;
  int Line;
};

// Each case is head followed by its text, compiled alone with the
// parameter P (N, 3) declared.
inline void ExpectErrors(std::initializer_list<ErrorCase> cases, const std::string& head = "",
                         bool startOfDay = false) {
  for (const ErrorCase& c : cases) {
    DocRig rig;
    rig.AddParam("P", 'N', "3");
    EXPECT_EQ(rig.Compile(head + c.Text, startOfDay), c.Code) << c.Text << "\n" << rig.Message;
    EXPECT_EQ(rig.Line, c.Line) << c.Text;
  }
}

// All cases fail at the same line.
inline void ExpectLineErrors(const std::string& head, int line, std::initializer_list<LineErrorCase> cases) {
  for (const LineErrorCase& c : cases) {
    DocRig rig;
    EXPECT_EQ(rig.Compile(head + c.Line), c.Code) << c.Line << "\n" << rig.Message;
    EXPECT_EQ(rig.Line, line) << c.Line;
  }
}

}  // namespace vm::test
