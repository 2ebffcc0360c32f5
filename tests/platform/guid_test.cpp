#include "platform/guid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/support.h"
#include "support/error_text.h"

namespace kordalt {
namespace {

TEST(Guid, BareTextAndLayout) {
    const TGUID zero{};
    EXPECT_EQ(GUIDToStr(zero), "00000000-0000-0000-0000-000000000000");
    EXPECT_EQ(StrToGUID("00000000-0000-0000-0000-000000000000"), zero);
    EXPECT_EQ(StrToGUID(" \t00000000-0000-0000-0000-000000000000\r\n"), zero);

    // The first three fields are little-endian in memory.
    const TGUID g = StrToGUID("00112233-4455-6677-8899-aabbccDDEEFF");
    const unsigned char expected[16] = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                        0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(std::memcmp(&g, expected, 16), 0);
    EXPECT_EQ(GUIDToStr(g), "00112233-4455-6677-8899-AABBCCDDEEFF");

    TGUID a, b;
    NewGUID(a);
    NewGUID(b);
    EXPECT_NE(a, b);
    const std::string text = GUIDToStr(a);
    EXPECT_EQ(text[14], '4') << text;                                          // version 4
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;  // variant
    EXPECT_EQ(StrToGUID(text), a);
}

TEST(Guid, TextFormsAreExact) {
    const std::string bare = "0a1b2c3d-4e5f-6a7b-8c9d-aebfc0d1e2f3";
    const struct {
        std::string text;
        GuidForm form;
        bool ok;
    } cases[] = {
        {bare, GuidForm::kBare, true},
        {"{" + bare + "}", GuidForm::kBraced, true},
        {"{" + bare + "}", GuidForm::kBare, false},
        {bare, GuidForm::kBraced, false},
        {" " + bare, GuidForm::kBare, false},
        {"{" + bare + "} ", GuidForm::kBraced, false},
        {"(" + bare + ")", GuidForm::kBraced, false},
        {"{" + bare.substr(0, 35) + "}", GuidForm::kBraced, false},
        {"{" + bare.substr(0, 35) + "g}", GuidForm::kBraced, false},
        {"{0a1b2c3d-4e5f-6a7b-8c9dXaebfc0d1e2f3}", GuidForm::kBraced, false},
        {"0a1b2c3d-4e5f-6a7b-8c9d-aebfc0d1e2f3f", GuidForm::kBare, false},
        {"", GuidForm::kBare, false},
        {"{}", GuidForm::kBraced, false},
    };
    const TGUID kept = StrToGUID("00112233-4455-6677-8899-AABBCCDDEEFF");
    for (const auto& c : cases) {
        TGUID g = kept;
        EXPECT_EQ(TryStrToGUID(c.text, g, c.form), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(GUIDToStr(g, c.form), c.form == GuidForm::kBraced
                                                ? "{0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3}"
                                                : "0A1B2C3D-4E5F-6A7B-8C9D-AEBFC0D1E2F3");
        else
            EXPECT_EQ(g, kept) << "a refused text leaves the GUID as it was: " << c.text;
    }
}

TEST(Guid, StrToGUIDRejectsAnythingButTheBareForm) {
    const std::string rejected[] = {
        "",
        "   ",
        "{00000000-0000-0000-0000-000000000000}",
        "00000000-0000-0000-0000-00000000000",
        "00000000-0000-0000-0000-0000000000000",
        "00000000-0000-0000-0000+000000000000",
        "0000000-00000-0000-0000-000000000000",
        "0000000G-0000-0000-0000-000000000000",
        "+0000000-0000-0000-0000-000000000000",
        "00000000-0000-0000-0000-00000000 000",
        "  junk ",
        "00000000000000000000000000000000",
    };
    for (const std::string& s : rejected)
        EXPECT_EQ(ErrorText<ECError>([&] { StrToGUID(s); }), "StrToGUID(" + s + ")");
}

}  // namespace
}  // namespace kordalt
