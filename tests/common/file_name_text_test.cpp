// File names shown in messages: UTF-8 names become code page 936 text.
#include <gtest/gtest.h>

#include "common/file_name_text.h"

namespace varomby {
namespace {

TEST(FileNameTextTest, ConvertsUtf8NamesToCodePage936) {
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"/tmp/a.bin", "/tmp/a.bin"},
      {"/tmp/\xE6\xB5\x8B\xE8\xAF\x95.exe", "/tmp/\xB2\xE2\xCA\xD4.exe"},  // 测试
      {"/tmp/\xF0\x9F\x98\x80x", "/tmp/?x"},                              // an emoji has no form there
      {"/tmp/\xFF\xFEz", "/tmp/??z"},                                     // bytes that are no UTF-8
      {"/tmp/\xE6\xB5", "/tmp/?"},                                        // a character cut short
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FileNameText(c.name), c.expected);
  }
}

}  // namespace
}  // namespace varomby
