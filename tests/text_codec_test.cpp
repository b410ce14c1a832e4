#include "settings/text_codec.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace vantix {
namespace {

using namespace std::literals;

// UTF-16 bytes of a UTF-16 literal, without a mark.
std::string Utf16Bytes(std::u16string_view units, bool little_endian) {
  std::string out;
  for (const char16_t u : units) {
    const char lo = static_cast<char>(u & 0xFF);
    const char hi = static_cast<char>(u >> 8);
    out += little_endian ? std::string{lo, hi} : std::string{hi, lo};
  }
  return out;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::string text;  // WTF-8
  TextEncoding encoding;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class TextDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TextDecodeTest, DetectsEncodingAndDecodes) {
  const DecodeCase& c = GetParam();
  const DecodedText decoded = DecodeFileText(c.bytes);
  EXPECT_EQ(decoded.text, c.text);
  EXPECT_EQ(decoded.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextDecodeTest,
    ::testing::Values(
        DecodeCase{"Empty", "", "", TextEncoding::Utf8},
        DecodeCase{"Ascii", "[S]\r\nk=v", "[S]\r\nk=v", TextEncoding::Utf8},
        DecodeCase{"ValidUtf8", "k=caf\xC3\xA9", "k=caf\xC3\xA9", TextEncoding::Utf8},
        DecodeCase{"Utf8MarkIsDropped", "\xEF\xBB\xBFk=\xC3\xA9", "k=\xC3\xA9",
                   TextEncoding::Utf8Bom},
        DecodeCase{"Utf8MarkWithBadBytesGivesReplacement", "\xEF\xBB\xBFk=\xE9",
                   "k=\xEF\xBF\xBD", TextEncoding::Utf8Bom},
        DecodeCase{"Utf16LittleEndian",
                   "\xFF\xFE" + Utf16Bytes(u"k=\u00E9\U0001F600", true),
                   "k=\xC3\xA9\xF0\x9F\x98\x80", TextEncoding::Utf16Le},
        DecodeCase{"Utf16BigEndian", "\xFE\xFF" + Utf16Bytes(u"k=\u20AC", false),
                   "k=\xE2\x82\xAC", TextEncoding::Utf16Be},
        DecodeCase{"Utf16MarkOnly", "\xFF\xFE", "", TextEncoding::Utf16Le},
        DecodeCase{"Utf16LoneSurrogateSurvivesAsWtf8",
                   "\xFF\xFE" + Utf16Bytes(u"a", true) + "\x00\xD8"s, "a\xED\xA0\x80",
                   TextEncoding::Utf16Le},
        DecodeCase{"Utf16NulUnitIsKept", "\xFF\xFE" + Utf16Bytes(u"a\0b"s, true), "a\0b"s,
                   TextEncoding::Utf16Le},
        DecodeCase{"InvalidUtf8IsWindows1252", "k=caf\xE9", "k=caf\xC3\xA9",
                   TextEncoding::Windows1252},
        DecodeCase{"Cp1252HighRange", "\x80\x85\x99\x9F\xA0\xFF",
                   "\xE2\x82\xAC\xE2\x80\xA6\xE2\x84\xA2\xC5\xB8\xC2\xA0\xC3\xBF",
                   TextEncoding::Windows1252},
        DecodeCase{"Cp1252UnassignedBytesKeepTheirNumber", "\x81\x8D\x8F\x90\x9D",
                   "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", TextEncoding::Windows1252},
        DecodeCase{"OverlongUtf8IsWindows1252", "\xC0\xAF", "\xC3\x80\xC2\xAF",
                   TextEncoding::Windows1252},
        DecodeCase{"EncodedSurrogateIsNotUtf8", "\xED\xA0\x80",
                   "\xC3\xAD\xC2\xA0\xE2\x82\xAC", TextEncoding::Windows1252},
        DecodeCase{"TruncatedUtf8IsWindows1252", "a\xE2\x82", "a\xC3\xA2\xE2\x80\x9A",
                   TextEncoding::Windows1252}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeCase {
  const char* name;
  std::string text;
  TextEncoding encoding;
  std::string bytes;
  TextEncoding written_as;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class TextEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(TextEncodeTest, WritesTheEncodingWithItsMark) {
  const EncodeCase& c = GetParam();
  TextEncoding encoding = c.encoding;
  EXPECT_EQ(EncodeFileText(c.text, encoding), c.bytes);
  EXPECT_EQ(encoding, c.written_as);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextEncodeTest,
    ::testing::Values(
        EncodeCase{"Utf8HasNoMark", "k=\xC3\xA9", TextEncoding::Utf8, "k=\xC3\xA9",
                   TextEncoding::Utf8},
        EncodeCase{"Utf8Mark", "k", TextEncoding::Utf8Bom, "\xEF\xBB\xBFk", TextEncoding::Utf8Bom},
        EncodeCase{"Utf16LittleEndian", "k=\xF0\x9F\x98\x80", TextEncoding::Utf16Le,
                   "\xFF\xFE" + Utf16Bytes(u"k=\U0001F600", true), TextEncoding::Utf16Le},
        EncodeCase{"Utf16BigEndian", "k=\xE2\x82\xAC", TextEncoding::Utf16Be,
                   "\xFE\xFF" + Utf16Bytes(u"k=\u20AC", false), TextEncoding::Utf16Be},
        EncodeCase{"EmptyUtf16IsJustTheMark", "", TextEncoding::Utf16Le, "\xFF\xFE",
                   TextEncoding::Utf16Le},
        EncodeCase{"Utf16LoneSurrogateRoundTrips", "a\xED\xA0\x80", TextEncoding::Utf16Le,
                   "\xFF\xFE" + Utf16Bytes(u"a", true) + "\x00\xD8"s, TextEncoding::Utf16Le},
        EncodeCase{"Utf8HasNoRoomForALoneSurrogate", "a\xED\xA0\x80", TextEncoding::Utf8,
                   "a\xEF\xBF\xBD", TextEncoding::Utf8},
        EncodeCase{"Cp1252", "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8", TextEncoding::Windows1252,
                   "caf\xE9 \x80 \x9F", TextEncoding::Windows1252},
        EncodeCase{"Cp1252UnassignedCodePointsGoBack", "\xC2\x81\xC2\x9D",
                   TextEncoding::Windows1252, "\x81\x9D", TextEncoding::Windows1252},
        EncodeCase{"Cp1252CannotHoldItSoUtf8", "caf\xC3\xA9 \xE6\x97\xA5",
                   TextEncoding::Windows1252, "caf\xC3\xA9 \xE6\x97\xA5", TextEncoding::Utf8},
        EncodeCase{"Cp1252HasNoU0080", "\xC2\x80",
                   TextEncoding::Windows1252, "\xC2\x80", TextEncoding::Utf8}),
    [](const auto& info) { return std::string(info.param.name); });

// Every byte a Windows-1252 file can hold reads and writes back unchanged.
TEST(TextCodecTest, EveryWindows1252ByteRoundTrips) {
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string file = "k=" + std::string(1, static_cast<char>(b)) + "\r\n";
    DecodedText decoded = DecodeFileText(file);
    ASSERT_EQ(decoded.encoding, TextEncoding::Windows1252) << b;
    ASSERT_TRUE(IsValidUtf8(decoded.text)) << b;
    EXPECT_EQ(EncodeFileText(decoded.text, decoded.encoding), file) << b;
    EXPECT_EQ(decoded.encoding, TextEncoding::Windows1252) << b;
  }
}

TEST(TextCodecTest, Utf16FilesRoundTripByteForByte) {
  const std::string units = Utf16Bytes(u"[S]\r\nk=\u00E9\U0001F600\0x"s, true) + "\x00\xDC"s;
  for (const bool le : {true, false}) {
    std::string file = le ? "\xFF\xFE" : "\xFE\xFF";
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
      file += le ? units.substr(i, 2) : std::string{units[i + 1], units[i]};
    }
    DecodedText decoded = DecodeFileText(file);
    EXPECT_EQ(EncodeFileText(decoded.text, decoded.encoding), file) << (le ? "LE" : "BE");
  }
}

TEST(TextCodecTest, IsValidUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
  EXPECT_TRUE(IsValidUtf8("\xEF\xBB\xBF"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xC3"));
  EXPECT_FALSE(IsValidUtf8("\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC3\x28"));
}

TEST(TextCodecTest, Utf16ConversionsCountAndCutByUnits) {
  const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80z";  // a é 😀 z: 5 units
  EXPECT_EQ(Utf16Length(text), 5u);
  EXPECT_EQ(Utf8ToUtf16(text), u"a\u00E9\U0001F600z");
  EXPECT_EQ(Utf16ToUtf8(u"a\u00E9\U0001F600z"), text);
  EXPECT_EQ(CutToUtf16Units(text, 0), "");
  EXPECT_EQ(CutToUtf16Units(text, 2), "a\xC3\xA9");
  EXPECT_EQ(CutToUtf16Units(text, 3), "a\xC3\xA9");  // never half a surrogate pair
  EXPECT_EQ(CutToUtf16Units(text, 4), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(CutToUtf16Units(text, 99), text);
  EXPECT_EQ(ToStrictUtf8("a\xED\xA0\x80z\xFF"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
}

}  // namespace
}  // namespace vantix
