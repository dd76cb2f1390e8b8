// Lines that must each fail with their code at one line of a description.
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

// Each case is head followed by the case's line, compiled alone.
inline void ExpectLineErrors(const std::string& head, int line, std::initializer_list<LineErrorCase> cases) {
  for (const LineErrorCase& c : cases) {
    DocRig rig;
    EXPECT_EQ(rig.Compile(head + c.Line), c.Code) << c.Line << "\n" << rig.Message;
    EXPECT_EQ(rig.Line, line) << c.Line;
  }
}

}  // namespace vm::test
