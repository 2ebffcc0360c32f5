#include "controls/icon_list.h"

#include <gtest/gtest.h>

#include <functional>

#include "icon_test_support.h"

namespace kordalt {
namespace {

using test::Bytes;
using test::IconSpec;
using test::MakeIcon;

std::unique_ptr<TIcon> IconOf(const IconSpec& spec) {
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromData(MakeIcon(spec));
    return icon;
}

TEST(Icon, ReadsColourAndMask) {
    IconSpec spec;
    spec.width = 5;
    spec.height = 3;
    spec.maskFirstPixel = true;
    const auto icon = IconOf(spec);
    EXPECT_EQ(icon->Width(), 5);
    EXPECT_EQ(icon->Height(), 3);
    EXPECT_EQ(qAlpha(icon->Image().pixel(0, 0)), 0);
    EXPECT_EQ(icon->Image().pixel(4, 2), qRgb(255, 0, 0));
    EXPECT_EQ(icon->Data(), MakeIcon(spec));

    spec.bitCount = 8;
    spec.colour = qRgb(0, 90, 200);
    EXPECT_EQ(IconOf(spec)->Image().pixel(1, 1), qRgb(0, 90, 200));
}

// Offsets inside MakeIcon's file: directory at 6, image at 22, its info header's
// bit count at 22 + 14.
TEST(Icon, RefusesDamagedFiles) {
    const Bytes good = MakeIcon({});
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }},
        {"header only", [](Bytes& b) { b.resize(6); }},
        {"reserved word", [](Bytes& b) { b[0] = 1; }},
        {"cursor type", [](Bytes& b) { b[2] = 2; }},
        {"no entries", [](Bytes& b) { b[4] = 0; }},
        {"more entries than bytes", [](Bytes& b) { b[4] = 200; }},
        {"image past the end",
         [](Bytes& b) {
             b[6 + 8] = 0xFF;
             b[6 + 9] = 0xFF;
         }},
        {"image offset past the end", [](Bytes& b) { b[6 + 15] = 0x7F; }},
        {"truncated pixels", [](Bytes& b) { b.resize(b.size() - 20); }},
        {"bit count 3", [](Bytes& b) { b[22 + 14] = 3; }},
        {"bit count 16", [](Bytes& b) { b[22 + 14] = 16; }},
        {"zero width", [](Bytes& b) { b[22 + 4] = 0; }},
        {"huge width", [](Bytes& b) { b[22 + 7] = 0x40; }},
        {"negative height", [](Bytes& b) { b[22 + 11] = 0xFF; }},
        {"compressed", [](Bytes& b) { b[22 + 16] = 1; }},
        {"header size past the image", [](Bytes& b) { b[22 + 1] = 0x10; }},
        {"png signature without png",
         [](Bytes& b) {
             b[22] = 0x89;
             b[23] = 'P';
             b[24] = 'N';
             b[25] = 'G';
             b[26] = '\r';
             b[27] = '\n';
             b[28] = 0x1A;
             b[29] = '\n';
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = good;
        c.damage(bad);
        TIcon icon;
        EXPECT_THROW(icon.LoadFromData(bad), EIconError);
        EXPECT_TRUE(icon.Empty());
    }
    // Palette indexes beyond the table are refused too.
    IconSpec spec;
    spec.bitCount = 8;
    Bytes outside = MakeIcon(spec);
    outside[22 + 40 + 8] = 7;  // the first pixel's index; the table has 2 entries
    TIcon icon;
    EXPECT_THROW(icon.LoadFromData(outside), EIconError);
}

struct ListFixture {
    TIconList list;
    int changes = 0;
    ListFixture() {
        list.OnChange = [this](TIconList* sender) {
            EXPECT_EQ(sender, &list);
            ++changes;
        };
    }
};

TEST(IconList, EditingAndOrdering) {
    ListFixture f;
    const auto red = IconOf({});
    IconSpec blueSpec;
    blueSpec.colour = qRgb(0, 0, 255);
    const auto blue = IconOf(blueSpec);

    f.list.SetIcons(0, *red);  // Icons[Count] appends a copy
    ASSERT_EQ(f.list.Count(), 1);
    EXPECT_NE(f.list.Icons(0), red.get());
    EXPECT_EQ(f.list.Icons(0)->Data(), red->Data());
    EXPECT_EQ(f.changes, 1);

    f.list.Add(*blue);
    EXPECT_EQ(f.changes, 2);
    f.list.Icons(1)->LoadFromData(MakeIcon({}));  // an icon edited in place signals the list
    EXPECT_EQ(f.changes, 3);

    f.list.BeginUpdate();
    f.list.Add(*blue);
    f.list.Icons(0)->Assign(*blue);
    f.list.Delete(2);
    f.list.EndUpdate();
    EXPECT_EQ(f.changes, 4) << "changes inside an update are reported once";

    TIcon* first = f.list.Icons(0);
    TIcon* second = f.list.Icons(1);
    f.list.Exchange(0, 1);
    EXPECT_EQ(f.changes, 5);
    EXPECT_EQ(f.list.IndexOf(first), 1);
    f.list.Add(*red);
    TIcon* third = f.list.Icons(2);
    f.list.Move(2, 0);
    EXPECT_EQ(f.changes, 7);
    EXPECT_EQ(f.list.IndexOf(third), 0);
    EXPECT_EQ(f.list.IndexOf(second), 1);
    EXPECT_EQ(f.list.IndexOf(red.get()), -1);

    EXPECT_THROW(f.list.Icons(3), std::out_of_range);
    EXPECT_THROW(f.list.SetIcons(5, *red), std::out_of_range);
    EXPECT_THROW(f.list.Delete(-1), std::out_of_range);
    EXPECT_THROW(f.list.Move(0, 3), std::out_of_range);

    f.list.Clear();
    EXPECT_EQ(f.list.Count(), 0);
    EXPECT_EQ(f.changes, 8);
    TIcon detached;
    detached.Assign(*red);  // a deleted icon no longer reaches the list
}

TEST(IconList, StreamRoundTripKeepsEmptyEntries) {
    TIconList list;
    list.Add(*IconOf({}));
    list.AddIcon(nullptr);
    list.AddIcon(std::make_unique<TIcon>());
    IconSpec wide;
    wide.width = 9;
    list.Add(*IconOf(wide));
    Bytes stored;
    list.SaveToStream(stored);
    const size_t firstSize = MakeIcon({}).size();
    EXPECT_EQ(stored[0], 4);
    EXPECT_EQ(stored[4], firstSize);
    EXPECT_EQ(stored[8 + firstSize], 0) << "an empty entry stores size 0";

    ListFixture f;
    f.list.LoadFromStream(stored);
    EXPECT_EQ(f.changes, 1);
    ASSERT_EQ(f.list.Count(), 4);
    EXPECT_EQ(f.list.Icons(1), nullptr);
    EXPECT_EQ(f.list.Icons(2), nullptr);
    EXPECT_EQ(f.list.Icons(3)->Width(), 9);

    TIconList copy;
    copy.Assign(&f.list);
    ASSERT_EQ(copy.Count(), 4);
    EXPECT_TRUE(copy.Icons(1)->Empty());
    copy.Assign(*IconOf({}));
    EXPECT_EQ(copy.Count(), 1);
    copy.Assign(static_cast<const TIconList*>(nullptr));
    EXPECT_EQ(copy.Count(), 0);
}

TEST(IconList, RefusesDamagedStreams) {
    TIconList list;
    list.Add(*IconOf({}));
    Bytes good;
    list.SaveToStream(good);
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        bool iconError;
    } cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, false},
        {"short count", [](Bytes& b) { b.resize(3); }, false},
        {"count beyond the entries", [](Bytes& b) { b[0] = 2; }, false},
        {"huge count", [](Bytes& b) { b[3] = 0x7F; }, false},
        {"size beyond the end", [](Bytes& b) { b[7] = 0x10; }, false},
        {"truncated icon", [](Bytes& b) { b.resize(b.size() - 1); }, false},
        {"damaged icon", [](Bytes& b) { b[8 + 2] = 7; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = good;
        c.damage(bad);
        ListFixture f;
        if (c.iconError)
            EXPECT_THROW(f.list.LoadFromStream(bad), EIconError);
        else
            EXPECT_THROW(f.list.LoadFromStream(bad), EReadError);
        EXPECT_EQ(f.changes, 1) << "the update still ends";
    }
}

}  // namespace
}  // namespace kordalt
