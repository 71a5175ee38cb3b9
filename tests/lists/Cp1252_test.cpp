#include "lists/Cp1252.h"

#include <gtest/gtest.h>

namespace vandoret {
namespace {

TEST(Cp1252, DecodesAndEncodesGermanText) {
    const struct {
        const char* bytes;
        const char* utf8;
    } cases[] = {
        {"M\xFCller", "Müller"},
        {"Stra\xDF"
         "e",
         "Straße"},
        {"\x80", "€"},
        {"\x84"
         "a\x93",
         "„a“"},
        {"\xC4\xD6\xDC\xE4\xF6\xFC", "ÄÖÜäöü"},
        {"", ""},
        {"\t;\r\n", "\t;\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCp1252(c.bytes), c.utf8);
        EXPECT_EQ(EncodeCp1252(c.utf8), c.bytes);
    }
}

TEST(Cp1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);
}

TEST(Cp1252, UnencodableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(EncodeCp1252("日本"), "??");
    EXPECT_EQ(EncodeCp1252("a\xFF"
                           "b"),
              "a?b");
    EXPECT_EQ(EncodeCp1252("\xC3"), "?");             // truncated sequence
    EXPECT_EQ(EncodeCp1252("\xE2\x82"), "??");        // truncated three-byte sequence
    EXPECT_EQ(EncodeCp1252("\xF0\x9F\x98\x80"), "?"); // outside the BMP
    // Bytes that never begin a UTF-8 sequence: each one is a '?' of its own.
    EXPECT_EQ(EncodeCp1252("\xF8\x80\x80"), "???");
    EXPECT_EQ(EncodeCp1252("\xFF\xBF\xBFx"), "???x");
}

// For a web page the characters the code page lacks become numeric references; malformed bytes
// are still question marks, and everything Windows-1252 holds is written as EncodeCp1252 does.
TEST(Cp1252, HtmlFormWritesReferences) {
    EXPECT_EQ(EncodeCp1252Html("日本 \xE2\x82\xAC\xC3\xBC"), "&#26085;&#26412; \x80\xFC");
    EXPECT_EQ(EncodeCp1252Html("\xF0\x9F\x98\x80"), "&#128512;");
    EXPECT_EQ(EncodeCp1252Html("a\xFF\xC3"), "a??");
    const std::string all = [] {
        std::string bytes;
        for (int b = 1; b < 256; ++b) {
            bytes += static_cast<char>(b);
        }
        return bytes;
    }();
    EXPECT_EQ(EncodeCp1252Html(DecodeCp1252(all)), all);
}

// Plain ASCII is copied eight bytes at a time: letters on either side of those steps decode as
// they do one by one, into a string and into a buffer alike.
TEST(Cp1252, DecodesAcrossTheEightByteSteps) {
    const std::string cases[] = {
        "",
        "abcdefg\xFC",
        "abcdefgh\xFC",
        "abcdefghi\xFC",
        "\xFC"
        "abcdefgh",
        "\x80\x81\x9F\xA0\xFF\xE4\xF6\xFC\xDF",
        "Reiterin M\xFCller 12\tReitverein Sch\xF6nfeld\tOrt 5",
        std::string(8, 'x') + "\x80" + std::string(15, 'y') + "\x9D" + std::string(16, 'z') + "\xFF",
    };
    for (const std::string& bytes : cases) {
        std::string oneByOne;
        for (const char b : bytes) {
            oneByOne += DecodeCp1252(std::string(1, b));
        }
        EXPECT_EQ(DecodeCp1252(bytes), oneByOne) << bytes;
        std::string buffer(bytes.size() * 3, '#');
        const char* const end = DecodeCp1252To(buffer.data(), bytes);
        EXPECT_EQ(std::string(static_cast<const char*>(buffer.data()), end), oneByOne) << bytes;
    }
}

} // namespace
} // namespace vandoret
