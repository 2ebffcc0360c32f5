#include "controls/ani_cursor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "icon_test_support.h"
#include "support/test_files.h"

namespace kordalt {
namespace {

using test::Append;
using test::Bytes;
using test::Chunk;
using test::IconSpec;
using test::MakeIcon;
using test::Riff;

Bytes Cursor(int hotX, int hotY, QRgb colour = qRgb(255, 0, 0)) {
    IconSpec spec;
    spec.type = 2;
    spec.hotX = hotX;
    spec.hotY = hotY;
    spec.colour = colour;
    return MakeIcon(spec);
}

Bytes Parts(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) Append(b, p);
    return b;
}

TAnimatedCursorImage Load(const Bytes& file) {
    TAnimatedCursorImage ani;
    ani.LoadFromStream(file);
    return ani;
}

TEST(AnimatedCursor, FramesTakeTheirIconsAndHotSpots) {
    IconSpec iconSpec;
    iconSpec.width = 6;
    iconSpec.height = 4;
    iconSpec.bitCount = 8;
    const auto ani =
        Load(Riff(Parts({test::Anih(2, 2, 10), test::FramList({Cursor(3, 1), MakeIcon(iconSpec)})})));
    ASSERT_EQ(ani.FrameCount(), 2);
    EXPECT_EQ(ani.Header.cSteps, 2u);
    EXPECT_FALSE(ani.Frames(0).IsIcon);
    EXPECT_EQ(ani.Frames(0).HotSpot, QPoint(3, 1)) << "a cursor keeps its directory's hot spot";
    EXPECT_TRUE(ani.Frames(1).IsIcon);
    EXPECT_EQ(ani.Frames(1).HotSpot, QPoint(3, 2)) << "an icon gets its centre";
    EXPECT_EQ(ani.Frames(0).Rate, 10u);
    EXPECT_EQ(ani.Frames(1).SequenceIndex, 1);
    EXPECT_EQ(std::string(ani.Frames(0).Tag.ckID.data(), 4), "icon");
    EXPECT_EQ(ani.Frames(0).Tag.ckSize, Cursor(3, 1).size());
    EXPECT_EQ(ani.MaxColors, 256) << "the 8-bit image";
    EXPECT_EQ(ani.Icons(0)->Image().pixel(0, 0), qRgb(255, 0, 0));
}

TEST(AnimatedCursor, FrameCountsFollowTheIcons) {
    struct Case {
        const char* what;
        Bytes chunks;
        std::vector<int> sequence;
        std::vector<uint32_t> rates;
    } cases[] = {
        {"three frames, two icons",
         Parts({test::Anih(3, 3, 5), test::FramList({Cursor(0, 0), Cursor(1, 1)})}),
         {0, 1},
         {5, 5}},
        {"no anih: unclaimed icons", test::FramList({Cursor(0, 0), Cursor(1, 1)}), {-1, -1}, {0, 0}},
        {"more icons than frames",
         Parts({test::Anih(1, 1, 7), test::FramList({Cursor(0, 0), Cursor(1, 1)})}),
         {0, -1},
         {7, 7}},
        {"one rate chunk sets frame 0 only",
         Parts(
             {test::Anih(2, 2, 7), test::Value32("rate", 30), test::FramList({Cursor(0, 0), Cursor(1, 1)})}),
         {0, 1},
         {30, 7}},
        {"a second rate chunk sets frame 1",
         Parts({test::Anih(2, 2, 7), test::Value32("rate", 30), test::Value32("rate", 40),
                test::FramList({Cursor(0, 0), Cursor(1, 1)})}),
         {0, 1},
         {30, 40}},
        {"unknown chunks and lists are skipped",
         Parts({Chunk("junk", Bytes(5, 1)), test::List("zzzz", Bytes(7, 2)), test::Anih(1, 1, 3),
                test::FramList({Cursor(0, 0)})}),
         {0},
         {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto ani = Load(Riff(c.chunks));
        ASSERT_EQ(ani.FrameCount(), static_cast<int>(c.sequence.size()));
        EXPECT_EQ(ani.Header.cSteps, c.sequence.size());
        for (int i = 0; i < ani.FrameCount(); ++i) {
            EXPECT_EQ(ani.Frames(i).SequenceIndex, c.sequence[static_cast<size_t>(i)]) << i;
            EXPECT_EQ(ani.Frames(i).Rate, c.rates[static_cast<size_t>(i)]) << i;
            EXPECT_NE(ani.Icons(i), nullptr);
        }
    }
}

TEST(AnimatedCursor, FramesWithOneSequenceIndexShareTheIcon) {
    // Frame 0 shows icon 1: both frames take the second icon, none the first.
    const auto ani = Load(Riff(Parts({test::Anih(2, 2, 1), test::Value32("seq ", 1),
                                      test::FramList({Cursor(0, 0, qRgb(0, 255, 0)), Cursor(2, 2)})})));
    ASSERT_EQ(ani.FrameCount(), 3);
    EXPECT_EQ(ani.Frames(0).Icon, ani.Frames(1).Icon);
    EXPECT_EQ(ani.Frames(0).HotSpot, QPoint(2, 2));
    EXPECT_EQ(ani.Frames(2).SequenceIndex, -1) << "the first icon, claimed by no frame";
    EXPECT_EQ(ani.Icons(2)->Image().pixel(0, 0), qRgb(0, 255, 0));
    TAnimatedCursorImage copy;
    copy.Assign(&ani);
    EXPECT_NE(copy.Frames(0).Icon, ani.Frames(0).Icon);
    EXPECT_EQ(copy.Icons(0)->Data(), ani.Icons(0)->Data());
    EXPECT_EQ(copy.Frames(2).SequenceIndex, -1);
}

TEST(AnimatedCursor, TitleAndCreatorAreCut) {
    const std::string longTitle(300, 'T');
    Bytes title(longTitle.begin(), longTitle.end());
    Bytes creator{'M', 'e', 0, 'x'};
    const Bytes info =
        test::List("INFO", Parts({Chunk("INAM", title), Chunk("ICOP", Bytes(3, 0)), Chunk("IART", creator)}));
    const auto ani = Load(Riff(Parts({info, test::FramList({Cursor(0, 0)})})));
    EXPECT_EQ(ani.Title, std::string(255, 'T'));
    EXPECT_EQ(ani.Creator, "Me");
}

TEST(AnimatedCursor, RefusesDamagedFiles) {
    const Bytes frames = test::FramList({Cursor(0, 0)});
    struct Case {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty", {}},
        {"short signature", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C'}},
        {"not RIFF",
         [&] {
             Bytes b = Riff(frames);
             b[3] = 'X';
             return b;
         }()},
        {"not ACON", Riff(frames, "AVI ")},
        {"anih without flag bit 0", Riff(Parts({test::Anih(1, 1, 1, 2), frames}))},
        {"anih without steps", Riff(Parts({test::Anih(1, 0, 1), frames}))},
        {"no icons", Riff(test::Anih(4, 4, 1))},
        {"icon that is no icon", Riff(test::FramList({Bytes(40, 0xEE)}))},
        {"icon chunk past the end",
         [&] {
             Bytes b = Riff(frames);
             b.resize(b.size() - 30);
             return b;
         }()},
        {"huge frame count", Riff(test::Anih(0xFFFFFFFF, 1, 1))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TAnimatedCursorImage ani;
        EXPECT_THROW(ani.LoadFromStream(c.file), EReadError);
    }
}

TEST(AnimatedCursor, EveryTruncationIsReadOrRefused) {
    const Bytes file = Riff(Parts({test::Anih(2, 2, 4), test::Value32("rate", 9), test::Value32("seq ", 1),
                                   test::List("INFO", Chunk("INAM", Bytes(3, 'a'))),
                                   test::FramList({Cursor(1, 1), Cursor(2, 2)})}));
    ASSERT_EQ(Load(file).FrameCount(), 3);
    for (size_t size = 0; size < file.size(); ++size) {
        TAnimatedCursorImage ani;
        try {
            ani.LoadFromStream(std::span<const uint8_t>(file.data(), size));
            EXPECT_GE(ani.FrameCount(), 1) << size;
        } catch (const EReadError&) {
        }
    }
}

TEST(AnimatedCursor, CopiesIntoIconsBitmapsAndIconLists) {
    test::ScratchDir dir;
    const Bytes file =
        Riff(Parts({test::Anih(2, 2, 4), test::FramList({Cursor(0, 0), Cursor(0, 0, qRgb(0, 0, 255))})}));
    test::WriteFile(dir.Path("a.ani"), std::string(file.begin(), file.end()));
    TAnimatedCursorImage ani;
    ani.LoadFromFile(dir.Path("a.ani"));
    EXPECT_THROW(ani.LoadFromFile(dir.Path("missing.ani")), EReadError);

    TIcon icon;
    ani.AssignTo(icon);
    EXPECT_EQ(icon.Data(), ani.Icons(0)->Data());

    QImage strip;
    ani.AssignTo(strip, clWhite);
    ASSERT_EQ(strip.size(), QSize(8, 4));
    EXPECT_EQ(strip.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(strip.pixel(6, 1), qRgb(0, 0, 255));
    QImage column;
    ani.AssignToBitmap(column, clWhite, true, false);
    EXPECT_EQ(column.size(), QSize(4, 8));
    EXPECT_EQ(column.pixel(1, 6), qRgb(0, 0, 255));

    TIconList list;
    int changes = 0;
    list.OnChange = [&](TIconList*) { ++changes; };
    ani.AssignTo(list);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 1);

    const QString shown = test::AnswerMessageBox([&] {
        Bytes out;
        EXPECT_THROW(ani.SaveToStream(out), EAbort);
    });
    EXPECT_FALSE(shown.isEmpty());

    ani.Assign(nullptr);
    EXPECT_EQ(ani.FrameCount(), 0);
    ani.AssignTo(icon);
    EXPECT_TRUE(icon.Empty());
    ani.AssignTo(strip);
    EXPECT_TRUE(strip.isNull());
}

}  // namespace
}  // namespace kordalt
