#include "cdb/field_scanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace torvane {

namespace {

struct NumberRow {
  const char* text;
  int base;
  int32_t value;
  char ends;         // the character readNumber returns
  const char* rest;  // what is left after it
};

const NumberRow kNumberRows[] = {
    {"12$0", 10, 12, '$', "0"},
    {"$5", 10, 0, '$', "5"},
    {" -7:", 10, -7, ':', ""},
    {"+7:", 10, 7, ':', ""},
    {"\t\r\n 42)", 10, 42, ')', ""},
    {"0x1F:", 16, 31, ':', ""},
    {"1f:", 16, 31, ':', ""},
    {"0XaB", 16, 171, '\0', ""},
    {"-0x10,", 16, -16, ',', ""},
    {"12ab", 10, 12, 'a', "b"},
    {"0x12", 10, 0, 'x', "12"},                // no prefix in base 10
    {"2147483647$", 10, INT32_MAX, '$', ""},
    {"2147483648$", 10, INT32_MAX, '$', ""},
    {"99999999999999999999999$", 10, INT32_MAX, '$', ""},
    {"-2147483648$", 10, INT32_MIN, '$', ""},
    {"-2147483649$", 10, INT32_MIN, '$', ""},
    {"-99999999999999999999$", 10, INT32_MIN, '$', ""},
    {"FFFFFFFF:", 16, INT32_MAX, ':', ""},      // clamps, it does not wrap
    {"7fffffff:", 16, INT32_MAX, ':', ""},
    {"-80000000:", 16, INT32_MIN, ':', ""},
    {"0x", 16, 0, '0', "x"},                    // a prefix without digits stays unread
    {" -$", 10, 0, ' ', "-$"},                  // so do blanks and a sign
    {"", 10, 0, '\0', ""},
    {"007}", 10, 7, '}', ""},
    // Around the longest runs of digits read without an overflow check.
    {"999999999", 10, 999999999, '\0', ""},
    {"1234567890,", 10, 1234567890, ',', ""},
    {"0000000004294967296$", 10, INT32_MAX, '$', ""},
    {"FFFFFFF", 16, 0xFFFFFFF, '\0', ""},
    {"1234ABCD:", 16, 0x1234ABCD, ':', ""},
    {"0x7:", 16, 7, ':', ""},
    {"1x", 16, 1, 'x', ""},
};

TEST(FieldScannerTest, ReadNumber) {
  for (const NumberRow& r : kNumberRows) {
    SCOPED_TRACE(std::string("\"") + r.text + "\" base " + std::to_string(r.base));
    FieldScanner s(r.text);
    int32_t value = -1;
    EXPECT_EQ(r.ends, s.readNumber(value, r.base));
    EXPECT_EQ(r.value, value);
    EXPECT_EQ(r.rest, s.rest());
  }
}

struct UntilRow {
  const char* text;
  const char* delimiters;
  const char* field;
  char ends;
  const char* rest;
};

const UntilRow kUntilRows[] = {
    {"main.c$12", "$", "main.c", '$', "12"},
    {"abc", "$", "abc", '\0', "abc"},  // no delimiter: the cursor stays put
    {"$x", "$", "", '$', "x"},
    {"node:S)", ":),", "node", ':', "S)"},
    {"node)x", ":),", "node", ')', "x"},
    {"a,b:c", ":),", "a", ',', "b:c"},
    {"", "$", "", '\0', ""},
};

TEST(FieldScannerTest, ReadUntil) {
  for (const UntilRow& r : kUntilRows) {
    SCOPED_TRACE(r.text);
    FieldScanner s(r.text);
    std::string_view field = "unset";
    EXPECT_EQ(r.ends, s.readUntil(field, r.delimiters));
    EXPECT_EQ(r.field, field);
    EXPECT_EQ(r.rest, s.rest());
  }
}

TEST(FieldScannerTest, ReadUntilWithoutDelimiterTwiceYieldsTheSameRest) {
  FieldScanner s("abc");
  std::string_view first, second;
  EXPECT_EQ('\0', s.readUntil(first, "$"));
  EXPECT_EQ('\0', s.readUntil(second, "$"));
  EXPECT_EQ("abc", first);
  EXPECT_EQ("abc", second);
}

struct LevelRow {
  const char* text;
  int32_t level;
  char ends;
  const char* rest;
};

TEST(FieldScannerTest, ReadLevel) {
  const LevelRow rows[] = {
      {"1$2", 1, '$', "2"},         {"1_0$2", 1, '$', "2"},  {"12_34$5", 12, '$', "5"},
      {"3_$x", 3, '$', "x"},        {"0_0(", 0, '(', ""},    {"_0$1", 0, '$', "1"},
      {"2_0", 2, '\0', ""},         {"", 0, '\0', ""},
  };
  for (const LevelRow& r : rows) {
    SCOPED_TRACE(r.text);
    FieldScanner s(r.text);
    int32_t level = -1;
    EXPECT_EQ(r.ends, s.readLevel(level));
    EXPECT_EQ(r.level, level);
    EXPECT_EQ(r.rest, s.rest());
  }
}

TEST(FieldScannerTest, NextStopsAtTheEnd) {
  FieldScanner s("ab");
  EXPECT_EQ('a', s.next());
  EXPECT_EQ('b', s.next());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ('\0', s.next());
    EXPECT_EQ('\0', s.peek());
  }
  s.unread();
  EXPECT_EQ('b', s.peek());
}

TEST(FieldScannerTest, AcceptPeekSkipUnread) {
  FieldScanner s("x:yz");
  EXPECT_FALSE(s.accept(':'));
  EXPECT_FALSE(s.accept('\0'));
  EXPECT_TRUE(s.accept('x'));
  EXPECT_EQ(':', s.peek());
  EXPECT_EQ(':', s.peek());  // peek does not consume
  s.skip(2);
  EXPECT_EQ("z", s.rest());
  s.skip(100);  // stops at the end
  EXPECT_EQ("", s.rest());
  EXPECT_FALSE(s.accept('z'));
  s.unread();
  EXPECT_EQ("z", s.rest());

  FieldScanner atStart("q");
  atStart.unread();  // never before the start
  EXPECT_EQ('q', atStart.next());
}

}  // namespace

}  // namespace torvane
