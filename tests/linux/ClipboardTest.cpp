// The desktop's clipboard as the shell saves, replaces and restores it around
// a paste: every target another application offers, byte for byte, read back
// by a client of its own (xclip); every change of owner counted once; owners
// that hang or quit in the middle of a read.
#include <gtest/gtest.h>


#include "ClipboardClients.h"
#include "Desktop.h"

namespace nimbo::test {
namespace {

// The start of a real PNG file: NULs and high bytes that must survive.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89", 33);

const Targets kCopied = {
    {"UTF8_STRING", "Grüße aus Köln"},
    {"text/plain;charset=utf-8", "Grüße aus Köln"},
    {"image/png", kPng},
    {"text/uri-list", "file:///tmp/a%20b.png\r\n"},
    {"x-special/gnome-copied-files", "copy\nfile:///tmp/a%20b.png"},
};

}  // namespace

TEST(Clipboard, EveryTargetIsSavedAndRestoredByteForByte) {
    auto& board = desktop().pasteboard();
    OtherOwner other(kCopied);
    const auto saved = board.items();
    ASSERT_EQ(saved.size(), 1U);
    EXPECT_EQ(saved[0].data, kCopied) << "every target in the owner's order, and only those";

    ASSERT_TRUE(board.setString("typed into the field"));
    EXPECT_TRUE(waitUntil([&] { return other.said("lost"); }));
    EXPECT_EQ(readBack("UTF8_STRING"), "typed into the field");
    EXPECT_EQ(board.string(), "typed into the field");

    ASSERT_TRUE(board.writeItems(saved));
    for (const auto& [target, bytes] : kCopied) EXPECT_EQ(readBack(target), bytes) << target;
    const auto listed = readBack("TARGETS").value_or("");
    for (const auto& [target, bytes] : kCopied) EXPECT_NE(listed.find(target + "\n"), std::string::npos) << listed;
    EXPECT_EQ(board.items(), saved) << "the shell reads its own offer as others do";
}

TEST(Clipboard, EveryChangeOfOwnerCountsOnce) {
    auto& board = desktop().pasteboard();
    const long start = board.changeCount();
    OtherOwner first(Targets{{"UTF8_STRING", "one"}});
    ASSERT_TRUE(waitUntil([&] { return board.changeCount() == start + 1; }));

    ASSERT_TRUE(board.setString("mine"));
    EXPECT_EQ(board.changeCount(), start + 2) << "the shell's own write counts at once";
    OtherOwner second(Targets{{"UTF8_STRING", "two"}});
    ASSERT_TRUE(waitUntil([&] { return board.changeCount() >= start + 3; }));
    board.clearContents();
    EXPECT_EQ(board.changeCount(), start + 4);
    EXPECT_EQ(board.string(), std::nullopt);
    EXPECT_TRUE(board.items().empty());
    // The server reports the shell's own changes too; they are not counted again.
    runFor(0.3);
    EXPECT_EQ(board.changeCount(), start + 4);
}

TEST(Clipboard, AnOwnerThatHangsOrQuitsGivesWhatItAnswered) {
    auto& board = desktop().pasteboard();
    auto& clock = desktop().clock();
    const Targets offered = {{"text/plain", "before"}, {"image/png", kPng}, {"text/uri-list", "file:///after\r\n"}};
    {
        OtherOwner hung(offered, {"--hang-on", "image/png"});
        const double start = clock.now();
        const auto read = board.items();
        // Far below the half minute GTK would wait for the answer by itself.
        EXPECT_LT(clock.now() - start, 10.0);
        ASSERT_EQ(read.size(), 1U);
        EXPECT_EQ(read[0].data, (Targets{offered[0], offered[2]})) << "the rest is still read";
    }
    OtherOwner quitting(offered, {"--vanish-on", "image/png"});
    const double start = clock.now();
    const auto read = board.items();
    EXPECT_LT(clock.now() - start, 10.0);
    EXPECT_TRUE(quitting.said("asked image/png"));
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0].data, (Targets{offered[0]}));
}

}  // namespace nimbo::test
