#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "settings/text_codec.h"

namespace vantix {
namespace {

using namespace std::literals;

std::string Utf16Le(std::u16string_view units) {
  std::string out = "\xFF\xFE";
  for (const char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string Utf16Be(std::u16string_view units) {
  std::string out = "\xFE\xFF";
  for (const char16_t u : units) {
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  }
  return out;
}

std::string CaseName(const char* name) { return name; }

// ---------------------------------------------------------------- reading

struct ReadCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::string default_value;
  std::string expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadStringTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadStringTest, ReadsLikeTheApi) {
  const ReadCase& c = GetParam();
  const IniDocument doc = IniDocument::Parse(c.file);
  EXPECT_EQ(doc.ReadString(c.section, c.key, c.default_value), c.expected);
}

const std::string k4094(4094, 'x');
const std::string k4095(4095, 'x');
const std::string k5000(5000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lines, IniReadStringTest,
    ::testing::Values(
        ReadCase{"CrLf", "[S]\r\nk=v\r\n", "S", "k", "d", "v"},
        ReadCase{"LfOnly", "[S]\nk=v\n", "S", "k", "d", "v"},
        ReadCase{"CrOnly", "[S]\rk=v\r", "S", "k", "d", "v"},
        ReadCase{"RunsOfCrAndLf", "\n\r[S]\n\r\r\n\n\rk=v", "S", "k", "d", "v"},
        ReadCase{"LastLineWithoutBreak", "[S]\r\nj=1\r\nk=v", "S", "k", "d", "v"},
        ReadCase{"LinesTrimmed", "  \t[S] \t\r\n \t k \t = \t v \t \r\n", "S", "k", "d", "v"},
        ReadCase{"EofMarkIsWhitespace", "\x1A[S]\x1A\r\n\x1Ak\x1A=\x1Av\x1A\r\n\x1A", "S", "k",
                 "d", "v"},
        ReadCase{"VerticalTabAndFormFeedAreWhitespace", "[S]\r\n\vk\f=\v v\f", "S", "k", "d",
                 "v"},
        ReadCase{"NonBreakingSpaceIsNotTrimmed", "[S]\r\nk=\xC2\xA0v\xC2\xA0", "S", "k", "d",
                 "\xC2\xA0v\xC2\xA0"},
        ReadCase{"NonBreakingSpaceIsPartOfTheKey", "[S]\r\n\xC2\xA0k=v", "S", "k", "d", "d"},
        ReadCase{"BlankLinesSkipped", "\r\n \r\n[S]\r\n\t\r\n\r\nk=v\r\n \r\n", "S", "k", "d",
                 "v"}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Structure, IniReadStringTest,
    ::testing::Values(
        ReadCase{"HeaderRunsToTheLastBracket", "[a]b]\r\nk=v", "a]b", "k", "d", "v"},
        ReadCase{"TextAfterHeaderIgnored", "[S] ; junk=1\r\nk=v", "S", "k", "d", "v"},
        ReadCase{"TextAfterHeaderIsNoKey", "[S] junk=1\r\nk=v", "S", "junk", "d", "d"},
        ReadCase{"HeaderNameTrimmed", "[ \tS \t]\r\nk=v", "S", "k", "d", "v"},
        ReadCase{"BracketWithoutCloseIsAPlainLine", "[S]\r\n[x\r\nk=v", "S", "k", "d", "v"},
        ReadCase{"BracketWithoutCloseCanBeAKey", "[S]\r\n[x=1", "S", "[x", "d", "1"},
        ReadCase{"IndentedBracketIsAHeader", "[A]\r\n  [S]\r\nk=v", "S", "k", "d", "v"},
        ReadCase{"SplitAtFirstEquals", "[S]\r\nk=a=b", "S", "k", "d", "a=b"},
        ReadCase{"KeyWithoutEqualsReadsDefault", "[S]\r\nk\r\n", "S", "k", "d", "d"},
        ReadCase{"KeyWithoutEqualsShadowsALaterOne", "[S]\r\nk\r\nk=v", "S", "k", "d", "d"},
        ReadCase{"EmptyValue", "[S]\r\nk=\r\n", "S", "k", "d", ""},
        ReadCase{"SemicolonLineIsAComment", "[S]\r\n;k=v", "S", "k", "d", "d"},
        ReadCase{"IndentedSemicolonIsAComment", "[S]\r\n   ;k=v", "S", "k", "d", "d"},
        ReadCase{"ACommentIsNeverAKey", "[S]\r\n;k=v", "S", ";k", "d", "d"},
        ReadCase{"NoInlineComments", "[S]\r\nk=v ; note", "S", "k", "d", "v ; note"},
        ReadCase{"HashIsNotAComment", "[S]\r\n#k=v", "S", "#k", "d", "v"},
        ReadCase{"HashInValueStays", "[S]\r\nk=v # note", "S", "k", "d", "v # note"},
        ReadCase{"FirstSectionOfANameWins", "[S]\r\na=1\r\n[s]\r\nk=v", "S", "k", "d", "d"},
        ReadCase{"FirstKeyWins", "[S]\r\nk=1\r\nK=2", "S", "k", "d", "1"},
        ReadCase{"KeysOfOtherSectionsUnseen", "[A]\r\nk=1\r\n[S]\r\n", "S", "k", "d", "d"},
        ReadCase{"AsciiCaseFolding", "[sEc]\r\nKeY=v", "SEC", "kEy", "d", "v"},
        ReadCase{"NoCaseFoldingBeyondAscii", "[S]\r\n\xC3\xA9=v", "S", "\xC3\x89", "d", "d"},
        ReadCase{"NonAsciiNamesMatchExactly", "[\xC3\xA9t\xC3\xA9]\r\n\xC3\xA9=v",
                 "\xC3\xA9T\xC3\xA9", "\xC3\xA9", "d", "v"},
        ReadCase{"ArgumentsTrimmed", "[S]\r\nk=v", " \tS\x1A ", "\v k \t", "d", "v"},
        ReadCase{"ArgumentsEndAtNul", "[S]\r\nk=v", "S\0junk"s, "k\0junk"s, "d", "v"},
        ReadCase{"LinesBeforeTheFirstHeaderAreSectionEmpty", "k=v\r\n[S]\r\nk=w", "", "k", "d",
                 "v"},
        ReadCase{"MissingSection", "[S]\r\nk=v", "T", "k", "d", "d"},
        ReadCase{"EmptyFile", "", "S", "k", "d", "d"},
        ReadCase{"NulEndsValue", "[S]\r\nk=ab\0cd\r\n"s, "S", "k", "d", "ab"},
        ReadCase{"NulEndsKeyName", "[S]\r\nk\0junk=v\r\n"s, "S", "k", "d", "v"},
        ReadCase{"NameCutAtNulKeepsItsSpace", "[S]\r\nk \0junk=v\r\n"s, "S", "k", "d", "d"},
        ReadCase{"NamelessKey", "[S]\r\n=a\r\n", "S", "", "d", "a"}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Quotes, IniReadStringTest,
    ::testing::Values(
        ReadCase{"DoubleQuotes", "[S]\r\nk=\"v\"", "S", "k", "d", "v"},
        ReadCase{"SingleQuotes", "[S]\r\nk='v'", "S", "k", "d", "v"},
        ReadCase{"SpaceInsideQuotesKept", "[S]\r\nk= \" v \" ", "S", "k", "d", " v "},
        ReadCase{"OnlyOnePairRemoved", "[S]\r\nk=\"\"v\"\"", "S", "k", "d", "\"v\""},
        ReadCase{"EmptyQuotes", "[S]\r\nk=''", "S", "k", "d", ""},
        ReadCase{"LoneQuoteStays", "[S]\r\nk=\"", "S", "k", "d", "\""},
        ReadCase{"MismatchedQuotesStay", "[S]\r\nk=\"v'", "S", "k", "d", "\"v'"},
        ReadCase{"QuoteOnOneSideStays", "[S]\r\nk=\"v", "S", "k", "d", "\"v"},
        ReadCase{"InnerQuotesStay", "[S]\r\nk=\"a\"b\"", "S", "k", "d", "a\"b"},
        ReadCase{"DefaultTrailingSpacesTrimmed", "", "S", "k", "d  ", "d"},
        ReadCase{"DefaultTrailingTabKept", "", "S", "k", "d\t", "d\t"},
        ReadCase{"DefaultLeadingSpaceKept", "", "S", "k", "  d", "  d"},
        ReadCase{"DefaultQuotesRemovedAfterTrim", "", "S", "k", "\"d \"  ", "d "},
        ReadCase{"DefaultQuotesBeforeTabKept", "", "S", "k", "'d'\t", "'d'\t"},
        ReadCase{"DefaultOfSpacesKeepsOne", "", "S", "k", "   ", " "},
        ReadCase{"DefaultEndsAtNul", "", "S", "k", "d\0x"s, "d"},
        ReadCase{"DefaultForKeyWithoutEquals", "[S]\r\nk", "S", "k", "'d'", "d"}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Length, IniReadStringTest,
    ::testing::Values(
        ReadCase{"CutTo4095", "[S]\r\nk=" + k5000, "S", "k", "d", k4095},
        ReadCase{"ExactlyFits", "[S]\r\nk=" + k4095, "S", "k", "d", k4095},
        ReadCase{"CutAfterQuotesRemoved", "[S]\r\nk=\"" + k4095 + "\"", "S", "k", "d", k4095},
        ReadCase{"LongQuotedValueCut", "[S]\r\nk=\"" + k5000 + "\"", "S", "k", "d", k4095},
        ReadCase{"CutNeverSplitsASurrogatePair", "[S]\r\nk=" + k4094 + "\xF0\x9F\x98\x80",
                 "S", "k", "d", k4094},
        // 8190 bytes of 0xC3, a Windows-1252 file: 8190 characters of two bytes each.
        ReadCase{"CountsUnitsNotBytes", "[S]\r\nk=" + std::string(4095 * 2, '\xC3'), "S",
                 "k", "d",
                 [] {
                   std::string s;
                   for (int i = 0; i < 4095; ++i) s += "\xC3\x83";
                   return s;
                 }()},
        ReadCase{"DefaultCutToo", "", "S", "k", k5000, k4095}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Encodings, IniReadStringTest,
    ::testing::Values(
        ReadCase{"Utf8", "[S]\r\nk=caf\xC3\xA9", "S", "k", "d", "caf\xC3\xA9"},
        ReadCase{"Utf8MarkIsNotPartOfTheFirstKey", "\xEF\xBB\xBFk=v\r\n[S]", "", "k", "d", "v"},
        ReadCase{"Utf8MarkFile", "\xEF\xBB\xBF[S]\r\nk=\xE2\x82\xAC", "S", "k", "d",
                 "\xE2\x82\xAC"},
        ReadCase{"Windows1252", "[S]\r\nk=caf\xE9", "S", "k", "d", "caf\xC3\xA9"},
        ReadCase{"Windows1252Euro", "[S]\r\nk=\x80", "S", "k", "d", "\xE2\x82\xAC"},
        ReadCase{"Windows1252UnassignedBytes", "[S]\r\nk=\x81\x8D\x8F\x90\x9D", "S", "k", "d",
                 "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        ReadCase{"Windows1252NonBreakingSpaceNotTrimmed", "[S]\r\nk=\xA0v\xA0", "S", "k", "d",
                 "\xC2\xA0v\xC2\xA0"},
        ReadCase{"Windows1252Section", "[Gr\xFC\xDF" "e]\r\nk=v", "Gr\xC3\xBC\xC3\x9F" "e", "k",
                 "d", "v"},
        ReadCase{"Utf16Le", Utf16Le(u"[S]\r\nk=\u00E9\U0001F600\r\n"), "S", "k", "d",
                 "\xC3\xA9\xF0\x9F\x98\x80"},
        ReadCase{"Utf16Be", Utf16Be(u"[S]\nk = \u20AC \n"), "S", "k", "d", "\xE2\x82\xAC"},
        ReadCase{"Utf16NulEndsValue", Utf16Le(u"[S]\r\nk=a\0b"s), "S", "k", "d", "a"},
        ReadCase{"Utf16NonBreakingSpaceNotTrimmed", Utf16Le(u"[S]\r\nk=\u00A0v"), "S", "k",
                 "d", "\xC2\xA0v"},
        ReadCase{"Utf16MarkOnly", Utf16Le(u""), "S", "k", "d", "d"}),
    [](const auto& info) { return CaseName(info.param.name); });

// ---------------------------------------------------------------- integers

struct IntCase {
  const char* name;
  std::string value;  // written after "k=" on its own line
  std::int32_t expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name; }

class IniReadIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniReadIntTest, ParsesLikeTheApi) {
  const IntCase& c = GetParam();
  const IniDocument doc = IniDocument::Parse("[S]\r\nk=" + c.value + "\r\n");
  EXPECT_EQ(doc.ReadInt(-7, "S", "k"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadIntTest,
    ::testing::Values(
        IntCase{"Plain", "42", 42}, IntCase{"Negative", "-42", -42},
        IntCase{"Plus", "+42", 42}, IntCase{"Zero", "0", 0},
        IntCase{"WrapsToMinusOne", "4294967295", -1},
        IntCase{"WrapsPast32Bits", "4294967296", 0},
        IntCase{"WrapsLongNumbers", "99999999999", 1215752191},
        IntCase{"PastIntMaxIsNegative", "2147483648", INT32_MIN},
        IntCase{"NegativeWraps", "-4294967295", 1},
        IntCase{"StopsAtFirstNonDigit", "12abc", 12}, IntCase{"StopsAtSpace", "12 34", 12},
        IntCase{"NoDigitsIsZero", "abc", 0}, IntCase{"SpaceAfterSignIsZero", "- 5", 0},
        IntCase{"TwoSignsIsZero", "+-5", 0}, IntCase{"NoExponent", "1e3", 1},
        IntCase{"ControlCharsSkipped", "\x01\x02-9", -9},
        IntCase{"Hex", "0x1F", 31}, IntCase{"HexLower", "0xff", 255},
        IntCase{"HexNegative", "-0x10", -16}, IntCase{"HexAllOnes", "0xFFFFFFFF", -1},
        IntCase{"HexStopsAtNonHexDigit", "0x1g", 1},
        IntCase{"UpperXIsNoPrefix", "0X1F", 0}, IntCase{"Octal", "0o17", 15},
        IntCase{"OctalStopsAt8", "0o18", 1}, IntCase{"Binary", "0b101", 5},
        IntCase{"BinaryStopsAt2", "0b1021", 2}, IntCase{"PrefixWithoutDigits", "0x", 0},
        IntCase{"LeadingZeroIsNotOctal", "010", 10}, IntCase{"LeadingZeroThenNine", "09", 9},
        IntCase{"QuotesRemoved", "\"12\"", 12}, IntCase{"SingleQuotesRemoved", "'-3'", -3},
        IntCase{"SpaceInsideQuotesSkipped", "\" 8\"", 8},
        IntCase{"NotUpperCasePrefixO", "0O7", 0},
        IntCase{"Reads29Characters", std::string(28, '0') + "7", 7},
        IntCase{"Ignores30thCharacter", std::string(29, '0') + "7", 0},
        IntCase{"Limit29AfterQuotes", "\"" + std::string(28, '0') + "7\"", 7},
        IntCase{"EmptyIsDefault", "", -7}, IntCase{"EmptyQuotesIsDefault", "\"\"", -7},
        IntCase{"NulFirstIsDefault", "\0" "5"s, -7}),
    [](const auto& info) { return CaseName(info.param.name); });

TEST(IniReadIntTest, MissingKeyOrNoEqualsGivesDefault) {
  const IniDocument doc = IniDocument::Parse("[S]\r\nbare\r\n");
  EXPECT_EQ(doc.ReadInt(17, "S", "missing"), 17);
  EXPECT_EQ(doc.ReadInt(17, "S", "bare"), 17);
  EXPECT_EQ(doc.ReadInt(17, "T", "bare"), 17);
}

// ------------------------------------------------------ binary values

TEST(IniStructTest, EncodesUpperCaseHexThenChecksum) {
  const std::array<std::uint8_t, 3> bytes = {0x01, 0xAB, 0xFF};
  EXPECT_EQ(EncodeIniStruct(bytes.data(), bytes.size()), "01ABFFAB");  // 0x1AB & 0xFF
  EXPECT_EQ(EncodeIniStruct(nullptr, 0), "00");
  const std::array<std::uint8_t, 2> zero = {0, 0};
  EXPECT_EQ(EncodeIniStruct(zero.data(), zero.size()), "000000");
}

struct StructReadCase {
  const char* name;
  std::string line;  // the whole line of key "k"
  bool ok;
};

void PrintTo(const StructReadCase& c, std::ostream* os) { *os << c.name; }

class IniReadStructTest : public ::testing::TestWithParam<StructReadCase> {};

TEST_P(IniReadStructTest, CopiesOnlyAWellFormedValue) {
  const StructReadCase& c = GetParam();
  const IniDocument doc = IniDocument::Parse("[S]\r\n" + c.line + "\r\n");
  std::array<std::uint8_t, 3> target = {0x55, 0x55, 0x55};
  EXPECT_EQ(doc.ReadStruct(target.size(), target.data(), "S", "k"), c.ok);
  const std::array<std::uint8_t, 3> expected =
      c.ok ? std::array<std::uint8_t, 3>{0x01, 0xAB, 0xFF}
           : std::array<std::uint8_t, 3>{0x55, 0x55, 0x55};
  EXPECT_EQ(target, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadStructTest,
    ::testing::Values(
        StructReadCase{"UpperCase", "k=01ABFFAB", true},
        StructReadCase{"LowerCase", "k=01abffab", true},
        StructReadCase{"MixedCase", "k=01aBfFAb", true},
        StructReadCase{"Trimmed", "  k =  01ABFFAB \t", true},
        StructReadCase{"Quoted", "k=\"01ABFFAB\"", true},
        StructReadCase{"SingleQuoted", "k='01ABFFAB'", true},
        StructReadCase{"BadChecksum", "k=01ABFFAC", false},
        StructReadCase{"OneCharShort", "k=01ABFFA", false},
        StructReadCase{"OneCharLong", "k=01ABFFAB0", false},
        StructReadCase{"OneByteLong", "k=01ABFF00AB", false},
        StructReadCase{"ChecksumMissing", "k=01ABFF", false},
        StructReadCase{"NonHexChar", "k=01AGFFAB", false},
        // 'G' counted as -1 would make this checksum match
        StructReadCase{"NonHexCharWithMatchingChecksum", "k=01ABFG9B", false},
        StructReadCase{"SpaceInside", "k=01AB FFAB", false},
        StructReadCase{"PrefixedHex", "k=0x01ABFF", false},
        StructReadCase{"Empty", "k=", false},
        StructReadCase{"NoEquals", "k", false},
        StructReadCase{"OtherKey", "j=01ABFFAB", false}),
    [](const auto& info) { return CaseName(info.param.name); });

TEST(IniStructTest, ZeroBytesReadOnlyAsTwoZeros) {
  const IniDocument doc = IniDocument::Parse("[S]\r\na=00\r\nb=\r\nc=0000\r\n");
  char unused = 'u';
  EXPECT_TRUE(doc.ReadStruct(0, &unused, "S", "a"));
  EXPECT_FALSE(doc.ReadStruct(0, &unused, "S", "b"));
  EXPECT_FALSE(doc.ReadStruct(0, &unused, "S", "c"));
  EXPECT_EQ(unused, 'u');
}

TEST(IniStructTest, WriteThenReadRoundTripsLargeStructs) {
  // Longer than a string read can return: a struct read is not cut.
  std::vector<std::uint8_t> data(3000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37);
  IniDocument doc;
  ASSERT_TRUE(doc.WriteStruct("S", "k", data.data(), data.size()));
  const IniDocument reread = IniDocument::Parse(doc.Serialize());
  std::vector<std::uint8_t> out(data.size());
  ASSERT_TRUE(reread.ReadStruct(out.size(), out.data(), "S", "k"));
  EXPECT_EQ(out, data);
  EXPECT_FALSE(reread.ReadStruct(out.size() - 1, out.data(), "S", "k"));
}

TEST(IniStructTest, DecodeRejectsSizesThatOverflow) {
  char out = 0;
  EXPECT_FALSE(DecodeIniStruct("00", &out, SIZE_MAX));
  EXPECT_FALSE(DecodeIniStruct("00", &out, SIZE_MAX / 2));
}

// ---------------------------------------------------------------- writing

struct Write {
  std::string section;
  std::string key;
  std::string value;
};

struct WriteCase {
  const char* name;
  std::string before;
  std::vector<Write> writes;
  std::string after;  // the whole file after the writes
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, RewritesTheFileCanonically) {
  const WriteCase& c = GetParam();
  IniDocument doc = IniDocument::Parse(c.before);
  bool changed = false;
  for (const Write& w : c.writes) changed |= doc.WriteString(w.section, w.key, w.value);
  EXPECT_TRUE(changed);
  EXPECT_EQ(doc.Serialize(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewFile", "", {{"S", "k", "v"}}, "[S]\r\nk=v\r\n"},
        WriteCase{"CanonicalLayout", "  [S]  \n\n  k = v \n\n\rj=1", {{"S", "j", "2"}},
                  "[S]\r\nk=v\r\nj=2\r\n"},
        WriteCase{"CommentsKeptInPlaceAndRewritten",
                  "[S]\n;  note = x  \n  ; plain  \nk=1\n;tail\n", {{"S", "k", "2"}},
                  "[S]\r\n;  note=x\r\n; plain\r\nk=2\r\n;tail\r\n"},
        WriteCase{"LinesWithoutEqualsKept", "[S]\r\n\r\n  junk line \r\n[broken\r\nk=1",
                  {{"S", "k", "2"}}, "[S]\r\njunk line\r\n[broken\r\nk=2\r\n"},
        WriteCase{"HeaderJunkDropped", "[S] junk\r\n", {{"S", "k", "v"}}, "[S]\r\nk=v\r\n"},
        WriteCase{"WritingACommentsNameAddsALine", "[S]\r\n;k=v\r\n", {{"S", ";k", "w"}},
                  "[S]\r\n;k=v\r\n;k=w\r\n"},
        WriteCase{"NewKeyAfterCommentsAtEndOfSection", "[A]\r\na=1\r\n;c\r\n[B]\r\nb=1\r\n",
                  {{"A", "new", "2"}}, "[A]\r\na=1\r\n;c\r\nnew=2\r\n[B]\r\nb=1\r\n"},
        WriteCase{"NewKeyGoesToTheFirstSectionOfTheName", "[A]\r\n[B]\r\n[a]\r\nx=1\r\n",
                  {{"a", "k", "v"}}, "[A]\r\nk=v\r\n[B]\r\n[a]\r\nx=1\r\n"},
        WriteCase{"NewSectionAtEnd", "[A]\r\na=1\r\n;end", {{"B", "b", "2"}},
                  "[A]\r\na=1\r\n;end\r\n[B]\r\nb=2\r\n"},
        WriteCase{"ExistingKeyKeepsSpellingAndPlace", "[Sec]\r\nKey=1\r\nz=0\r\n",
                  {{"SEC", "kEY", "2"}}, "[Sec]\r\nKey=2\r\nz=0\r\n"},
        WriteCase{"NewNamesSpelledAsGiven", "[a]\r\n", {{"NewSec", "MyKey", "v"}},
                  "[a]\r\n[NewSec]\r\nMyKey=v\r\n"},
        WriteCase{"OnlyTheFirstOfDuplicateKeysChanges", "[S]\r\nk=1\r\nK=2\r\n",
                  {{"S", "K", "3"}}, "[S]\r\nk=3\r\nK=2\r\n"},
        WriteCase{"KeyWithoutEqualsGetsAValue", "[S]\r\nk\r\n", {{"S", "k", "v"}},
                  "[S]\r\nk=v\r\n"},
        WriteCase{"LinesBeforeTheFirstHeaderStayOnTop", "top=1\r\n[S]\r\n",
                  {{"", "k", "v"}}, "top=1\r\nk=v\r\n[S]\r\n"},
        WriteCase{"SectionEmptyWithoutTopLines", "[S]\r\n", {{" ", "k", "v"}},
                  "k=v\r\n[S]\r\n"},
        WriteCase{"NamelessSectionHasNoHeader", "[A]\r\n[]\r\nx=1\r\n", {{"A", "k", "v"}},
                  "[A]\r\nk=v\r\nx=1\r\n"},
        WriteCase{"NamelessLineAfterNamelessLineDropped", "[S]\r\n=a\r\n=b\r\nk=1",
                  {{"S", "k", "2"}}, "[S]\r\n=a\r\nk=2\r\n"}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Values, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewNamesKeepTrailingWhitespace", "", {{"  S2  ", "\t k2  ", "  v \t"}},
                  "[S2  ]\r\nk2  =v \t\r\n"},
        WriteCase{"ExistingKeyValueKeepsTrailingSpaces", "[S]\r\nk=1",
                  {{"S", "k", "padded   "}}, "[S]\r\nk=padded   \r\n"},
        WriteCase{"NextRewriteTrimsThem", "[S2  ]\r\nk2  =v \t\r\n", {{"S2", "x", "1"}},
                  "[S2]\r\nk2=v\r\nx=1\r\n"},
        WriteCase{"ValueLeadingWhitespaceStripped", "", {{"S", "k", "\t\x1A\v v"}},
                  "[S]\r\nk=v\r\n"},
        WriteCase{"NonBreakingSpaceNotStripped", "", {{"S", "k", "\xC2\xA0v"}},
                  "[S]\r\nk=\xC2\xA0v\r\n"},
        WriteCase{"QuotesAndEqualsWrittenAsGiven", "", {{"S", "k", "\"a=b\" 'c'"}},
                  "[S]\r\nk=\"a=b\" 'c'\r\n"},
        WriteCase{"LineBreakMakesTwoLines", "", {{"S", "k", "a\r\nb"}}, "[S]\r\nk=a\r\nb\r\n"},
        WriteCase{"EmptyValue", "[S]\r\nk=1", {{"S", "k", ""}}, "[S]\r\nk=\r\n"},
        WriteCase{"ValueCutAtNul", "", {{"S", "k", "ab\0cd"s}}, "[S]\r\nk=ab\r\n"},
        WriteCase{"NamesCutAtNul", "", {{"S\0x"s, "k\0y"s, "v"}}, "[S]\r\nk=v\r\n"},
        WriteCase{"NulInFileCutOnRewrite", "[S]\r\nk=ab\0cd\r\nj=1"s, {{"S", "j", "2"}},
                  "[S]\r\nk=ab\r\nj=2\r\n"},
        WriteCase{"ValueCutAtNulKeepsItsSpace", "[S]\r\nk=v \0x"s, {{"S", "k", "v"}},
                  "[S]\r\nk=v\r\n"},
        WriteCase{"LongValueWrittenWhole", "", {{"S", "k", std::string(10000, 'x')}},
                  "[S]\r\nk=" + std::string(10000, 'x') + "\r\n"},
        // Many writes to one document behave as the same writes one at a time.
        WriteCase{"LaterWriteFindsSectionBroughtInWithSpaces", "",
                  {{"S  ", "k", "1"}, {"s", "j", "2"}}, "[S  ]\r\nk=1\r\nj=2\r\n"},
        WriteCase{"LaterWriteFindsKeyBroughtInWithSpaces", "",
                  {{"S", "k  ", "1"}, {"S", "K", "2"}}, "[S]\r\nk  =2\r\n"}),
    [](const auto& info) { return CaseName(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Encodings, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewFileIsUtf8WithoutMark", "", {{"S", "k", "caf\xC3\xA9"}},
                  "[S]\r\nk=caf\xC3\xA9\r\n"},
        WriteCase{"AsciiFileBecomesUtf8", "[S]\r\n", {{"S", "k", "\xE2\x82\xAC"}},
                  "[S]\r\nk=\xE2\x82\xAC\r\n"},
        WriteCase{"Utf8MarkKept", "\xEF\xBB\xBF[S]\r\nk=1", {{"S", "k", "\xC3\xA9"}},
                  "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n"},
        WriteCase{"Utf16LeKept", Utf16Le(u"[S]\nk=1\n"), {{"S", "k", "\xF0\x9F\x98\x80"}},
                  Utf16Le(u"[S]\r\nk=\U0001F600\r\n")},
        WriteCase{"Utf16BeKept", Utf16Be(u"[S]\nk=1\n"), {{"S", "j", "\xC3\xA9"}},
                  Utf16Be(u"[S]\r\nk=1\r\nj=\u00E9\r\n")},
        WriteCase{"Utf16MarkOnlyFileWrittenAsUtf16Le", "\xFF\xFE", {{"S", "k", "v"}},
                  Utf16Le(u"[S]\r\nk=v\r\n")},
        WriteCase{"Utf16LoneSurrogateKept", Utf16Le(u"[S]\r\nx=\xD800\r\n"),
                  {{"S", "k", "v"}}, Utf16Le(u"[S]\r\nx=\xD800\r\nk=v\r\n")},
        WriteCase{"Windows1252Kept", "[S]\r\nname=Jos\xE9\r\n",
                  {{"S", "k", "\xE2\x82\xAC \xC3\xBF"}},
                  "[S]\r\nname=Jos\xE9\r\nk=\x80 \xFF\r\n"},
        WriteCase{"Windows1252UnassignedBytesKept", "[S]\r\nx=\x81\x8D\x8F\x90\x9D\r\n",
                  {{"S", "k", "v"}}, "[S]\r\nx=\x81\x8D\x8F\x90\x9D\r\nk=v\r\n"},
        WriteCase{"Windows1252BecomesUtf8ForAnUnencodableChar", "[S]\r\nname=Jos\xE9\r\n",
                  {{"S", "k", "\xE6\x97\xA5"}},
                  "[S]\r\nname=Jos\xC3\xA9\r\nk=\xE6\x97\xA5\r\n"}),
    [](const auto& info) { return CaseName(info.param.name); });

struct NoChangeCase {
  const char* name;
  std::string file;
  Write write;
};

void PrintTo(const NoChangeCase& c, std::ostream* os) { *os << c.name; }

class IniNoChangeTest : public ::testing::TestWithParam<NoChangeCase> {};

TEST_P(IniNoChangeTest, WritingTheSameValueChangesNothing) {
  const NoChangeCase& c = GetParam();
  IniDocument doc = IniDocument::Parse(c.file);
  EXPECT_FALSE(doc.WriteString(c.write.section, c.write.key, c.write.value));
}

INSTANTIATE_TEST_SUITE_P(
    Writes, IniNoChangeTest,
    ::testing::Values(
        NoChangeCase{"SameValue", "[S]\r\nk=v\r\n", {"S", "k", "v"}},
        NoChangeCase{"NonCanonicalFile", "  [S]\n\n k = v \n", {"S", "k", "v"}},
        NoChangeCase{"OtherCaseAndSpacedNames", "[S]\r\nk=v", {" s ", "\tK ", "v"}},
        NoChangeCase{"LeadingSpaceOfValueStripped", "[S]\r\nk=v", {"S", "k", "  v"}},
        NoChangeCase{"QuotesCompareRaw", "[S]\r\nk=\"v\"", {"S", "k", "\"v\""}},
        NoChangeCase{"EmptyValue", "[S]\r\nk=", {"S", "k", ""}},
        NoChangeCase{"ValueCutAtNul", "[S]\r\nk=v", {"S", "k", "v\0x"s}},
        NoChangeCase{"Windows1252", "[S]\r\nk=caf\xE9", {"S", "k", "caf\xC3\xA9"}},
        NoChangeCase{"Utf16", Utf16Le(u"[S]\r\nk=\u00E9"), {"S", "k", "\xC3\xA9"}}),
    [](const auto& info) { return CaseName(info.param.name); });

TEST(IniWriteTest, ChangesThatLookLikeNoChangeAreChanges) {
  IniDocument doc = IniDocument::Parse("[S]\r\nk=v\r\nbare\r\n");
  EXPECT_TRUE(doc.WriteString("S", "k", "V"));     // values compare with case
  EXPECT_TRUE(doc.WriteString("S", "k", "V  "));   // trailing spaces are kept
  EXPECT_TRUE(doc.WriteString("S", "bare", ""));   // gains '='
  EXPECT_EQ(doc.Serialize(), "[S]\r\nk=V  \r\nbare=\r\n");
}

TEST(IniWriteTest, IntAndStructWrites) {
  IniDocument doc;
  const std::array<std::uint8_t, 2> bytes = {0xFE, 0x03};
  EXPECT_TRUE(doc.WriteInt("S", "neg", -5));
  EXPECT_TRUE(doc.WriteInt("S", "min", INT32_MIN));
  EXPECT_TRUE(doc.WriteStruct("S", "none", nullptr, 0));
  EXPECT_TRUE(doc.WriteStruct("S", "two", bytes.data(), bytes.size()));
  EXPECT_FALSE(doc.WriteInt("S", "neg", -5));
  EXPECT_EQ(doc.Serialize(),
            "[S]\r\nneg=-5\r\nmin=-2147483648\r\nnone=00\r\ntwo=FE0301\r\n");
}

TEST(IniWriteTest, WrittenValuesReadBackInTheSameDocument) {
  IniDocument doc = IniDocument::Parse("[S]\r\nk=1\r\n");
  doc.WriteString("S  ", "new  ", "'quoted'");
  doc.WriteInt("s", "K", 42);
  EXPECT_EQ(doc.ReadString("S", "new", "d"), "quoted");
  EXPECT_EQ(doc.ReadInt(0, "S", "k"), 42);
}

// Arbitrary bytes: parse, read, write, serialize and re-parse without a
// fault, and what was written reads back.
TEST(IniDocumentRobustnessTest, RandomBytes) {
  std::mt19937 rng(20240611);
  const std::string_view alphabet = "[]=;#'\"\r\n \t\x1A\0aAkS\xC3\xA9\xFF\xFE\x81"sv;
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 400, '\0');
    const bool structured = round % 2 == 0;
    for (char& c : bytes) {
      c = structured ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng());
    }
    if (round % 5 == 0) bytes.insert(0, round % 10 == 0 ? "\xFF\xFE" : "\xFE\xFF");
    SCOPED_TRACE(::testing::PrintToString(bytes));
    IniDocument doc = IniDocument::Parse(bytes);
    doc.ReadString("S", "k", "d");
    doc.ReadInt(0, "a", "A");
    std::array<std::uint8_t, 4> target{};
    doc.ReadStruct(target.size(), target.data(), "S", "k");
    doc.WriteString("Fresh", "key", "value");
    doc.WriteString("S", "k", "w");
    const std::string out = doc.Serialize();
    const IniDocument reread = IniDocument::Parse(out);
    // A rewrite can make bytes that read in another encoding (a Windows-1252
    // file that happens to be valid UTF-8); values are compared only when not.
    if (reread.Encoding() != doc.Encoding()) continue;
    EXPECT_EQ(reread.ReadString("Fresh", "key", "d"), "value");
  }
}

}  // namespace
}  // namespace vantix
