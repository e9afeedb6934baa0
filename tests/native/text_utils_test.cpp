// UTF-8 encoding and decoding, the ANSI conversions and the small text tests.
// Natively the ANSI code page is code page 1252 (tests/native/code_page_1252.cpp); under Wine
// it is the system's, which is 1252 in the tests' prefix as well.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/text_utils.h"

namespace {

std::string Encode(std::u16string units) {
  char out[64] = {};
  size_t used = 0;
  for (char16_t unit : units) EXPECT_TRUE(AppendUtf8Unit(unit, out, sizeof out, &used));
  return out;
}

std::u16string Decode(const char* utf8, bool* invalid = nullptr) {
  char16_t out[64];
  bool bad = false;
  DecodeUtf8(utf8, out, 64, &bad);
  if (invalid) *invalid = bad;
  return out;
}

// Reference forms from the Unicode standard's and RFC 3629's examples.
TEST(Utf8, EncodesOneTwoAndThreeByteForms) {
  EXPECT_EQ(Encode(u"A\u2262\u0391."), "\x41\xE2\x89\xA2\xCE\x91\x2E");
  EXPECT_EQ(Encode(u"\uD55C\uAD6D\uC5B4"), "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4");
  EXPECT_EQ(Encode(u"\u65E5\u672C\u8A9E"), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  EXPECT_EQ(Encode(u"\u007F\u0080\u07FF\u0800\uFFFF"),
            "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
}

TEST(Utf8, EncodesSurrogatesOneByOne) {
  // U+1F600 as its UTF-16 pair: two three-byte sequences, no four-byte form.
  EXPECT_EQ(Encode(u"\xD83D\xDE00"), "\xED\xA0\xBD\xED\xB8\x80");
}

TEST(Utf8, AUnitThatDoesNotFitIsLeftOutWhole) {
  char out[4] = {};
  size_t used = 0;
  EXPECT_TRUE(AppendUtf8Unit(u'a', out, sizeof out, &used));
  EXPECT_FALSE(AppendUtf8Unit(u'\u20AC', out, sizeof out, &used));
  EXPECT_TRUE(AppendUtf8Unit(u'\u00E9', out, sizeof out, &used));
  EXPECT_STREQ(out, "a\xC3\xA9");
  EXPECT_FALSE(AppendUtf8Unit(u'b', out, sizeof out, &used));
}

TEST(Utf8, DecodesTheReferenceForms) {
  bool invalid = true;
  EXPECT_EQ(Decode("\x41\xE2\x89\xA2\xCE\x91\x2E", &invalid), u"A\u2262\u0391.");
  EXPECT_FALSE(invalid);
  EXPECT_EQ(Decode("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), u"\u65E5\u672C\u8A9E");
  EXPECT_EQ(Decode("\xED\xA0\xBD\xED\xB8\x80"), u"\xD83D\xDE00");
}

TEST(Utf8, EachRunOfInvalidBytesIsOneQuestionMark) {
  struct { const char* in; std::u16string out; } cases[] = {
      {"\x80", u"?"},
      {"\x80\x80\xBF", u"?"},
      {"a\x80" "b\x80\x80" "c", u"a?b?c"},
      {"\xF0\x9F\x98\x80", u"?"},     // four-byte form: lead and its continuations, one run
      {"\xFF\xFE" "x\xF8", u"?x?"},
      {"x\xC3", u"x?"},               // cut short by the terminator
      {"x\xE2\x82", u"x?"},
      {"\x80\xC3", u"?"},             // a cut sequence continues the run
  };
  for (const auto& c : cases) {
    bool invalid = false;
    EXPECT_EQ(Decode(c.in, &invalid), c.out) << c.in;
    EXPECT_TRUE(invalid) << c.in;
  }
}

TEST(Utf8, DecodingNeverReadsPastTheTerminator) {
  // Lead bytes right before the terminator, with bytes after it that must not be looked at.
  const char text[] = {'a', '\xE2', '\0', '\x82', '\xAC', '\0'};
  EXPECT_EQ(Decode(text), u"a?");
  const char two[] = {'\xC3', '\0', '\xA9', '\0'};
  EXPECT_EQ(Decode(two), u"?");
}

TEST(Utf8, DecodingStopsWhenTheOutputIsFull) {
  char16_t out[4];
  bool invalid = false;
  EXPECT_EQ(DecodeUtf8("abcdef", out, 4, &invalid), 3u);
  EXPECT_EQ(std::u16string(out), u"abc");
}

TEST(AnsiToUtf8, ConvertsTheCodePageAndCutsBetweenCharacters) {
  char out[64];
  ASSERT_EQ(AnsiToUtf8("m\xFCnchen-pc", out, sizeof out), 0);
  EXPECT_STREQ(out, "m\xC3\xBCnchen-pc");
  ASSERT_EQ(AnsiToUtf8("\x80 5", out, sizeof out), 0);
  EXPECT_STREQ(out, "\xE2\x82\xAC 5");

  std::string name(63, 'a');
  ASSERT_EQ(AnsiToUtf8(name.c_str(), out, sizeof out), 0);
  EXPECT_EQ(std::string(out), name);
  std::string longer = std::string(62, 'a') + "\xFC";   // 62 + 2 bytes would need 65
  char guarded[70];
  memset(guarded, 'X', sizeof guarded);
  ASSERT_EQ(AnsiToUtf8(longer.c_str(), guarded, 64), 0);
  EXPECT_EQ(std::string(guarded), std::string(62, 'a'));
  EXPECT_EQ(guarded[64], 'X');
}

TEST(AnsiToUtf8, MissingArgumentsFail) {
  char out[8] = "stale";
  EXPECT_EQ(AnsiToUtf8(nullptr, out, sizeof out), -1);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(AnsiToUtf8("x", nullptr, 8), -1);
  EXPECT_EQ(AnsiToUtf8("x", out, 0), -1);
}

TEST(Utf8ToAnsi, ConvertsBackAndMarksInvalidInput) {
  char out[64];
  EXPECT_EQ(Utf8ToAnsi("m\xC3\xBCnchen-pc", out, sizeof out), 0);
  EXPECT_STREQ(out, "m\xFCnchen-pc");
  EXPECT_EQ(Utf8ToAnsi("ws\x80\x81" "12", out, sizeof out), -1);
  EXPECT_STREQ(out, "ws?12");
  char stale[8] = "stale";
  EXPECT_EQ(Utf8ToAnsi(nullptr, stale, sizeof stale), -1);
  EXPECT_STREQ(stale, "");
}

TEST(Utf8ToAnsiInPlace, StaysWithinTheField) {
  char field[64];
  strcpy(field, "m\xC3\xBCnchen-pc");
  EXPECT_EQ(Utf8ToAnsiInPlace(field, sizeof field), 0);
  EXPECT_STREQ(field, "m\xFCnchen-pc");

  char small[6];
  memcpy(small, "abcdef", 6);   // no terminator inside the field
  EXPECT_EQ(Utf8ToAnsiInPlace(small, sizeof small), 0);
  EXPECT_STREQ(small, "abcde");
}

TEST(SevenBitText, AnyByteFrom0x80MakesItEightBit) {
  EXPECT_EQ(IsSevenBitText(""), 1);
  EXPECT_EQ(IsSevenBitText("ws12-lab_7~"), 1);
  EXPECT_EQ(IsSevenBitText("m\xFCnchen"), 0);
  EXPECT_EQ(IsSevenBitText("\x80"), 0);
  EXPECT_EQ(IsSevenBitText("abc\x7F"), 1);
}

TEST(UpperCase, LettersOnly) {
  char text[] = "build-server_ws12.lab";
  UpperCaseLetters(text);
  EXPECT_STREQ(text, "BUILD-SERVER_WS12.LAB");
  char digits[] = "0A-00-2b-c4-00-ff";
  UpperCaseLetters(digits);
  EXPECT_STREQ(digits, "0A-00-2B-C4-00-FF");
}

TEST(ReencodeForOutput, IntoTheSameCodePageNothingChanges) {
  char text[] = "m\xFCnchen-PC \x80";
  ReencodeForOutput(text);
  EXPECT_STREQ(text, "m\xFCnchen-PC \x80");
}

}  // namespace
