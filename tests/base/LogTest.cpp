#include <gtest/gtest.h>

#include <string>

#include "base/Log.h"
#include "platform/sim/SimPlatform.h"

namespace nimbo {
namespace {

TEST(Log, AnEntryIsOneLineWhateverItsTextHolds) {
    sim::SimPlatform sim;
    // What a page could send to pass off lines of its own, or to steer a terminal.
    Log::line("nimbo: [page] hi\n\n--- nimbo started 2026-12-05T08:34:56Z ---\r\nnimbo: offer done");
    constexpr char withControls[] = "nimbo: [page] a\0b\x1b[2Jc\x7f\t\\n";
    Log::line(std::string(withControls, sizeof withControls - 1));
    ASSERT_EQ(sim.output.lines.size(), 2u);
    EXPECT_EQ(sim.output.lines[0],
              "nimbo: [page] hi\\n\\n--- nimbo started 2026-12-05T08:34:56Z ---\\r\\nnimbo: offer done");
    // The backslash is escaped too, so an escape in the log always means a control character.
    EXPECT_EQ(sim.output.lines[1], "nimbo: [page] a\\x00b\\x1B[2Jc\\x7F\\t\\\\n");
}

TEST(Log, TextOutsideAsciiKeepsItsCharactersButNotItsControlsOrBrokenBytes) {
    EXPECT_EQ(Log::entry("nimbo: offer press by click — done ⌘⌥ 🙂"),
              "nimbo: offer press by click — done ⌘⌥ 🙂");
    // C1 controls (CSI U+009B, NEL U+0085), a lone lead byte, a stray continuation byte,
    // an overlong "/", an encoded surrogate.
    EXPECT_EQ(Log::entry("\xc2\x9b"
                         "2J \xc2\x85 \xe2\x82 \x80 \xc0\xaf \xed\xa0\x80 \xc2\xa0"),
              "\\u{9B}2J \\u{85} \\xE2\\x82 \\x80 \\xC0\\xAF \\xED\\xA0\\x80 \xc2\xa0");
}

TEST(Log, ALongEntryIsCutOnACharacterBoundaryAndSaysHowMuchWentMissing) {
    EXPECT_EQ(Log::entry(std::string(Log::kLongestEntry, 'a')), std::string(Log::kLongestEntry, 'a'));

    const std::string huge = "nimbo: [page] " + std::string(10'000'000, 'x');
    EXPECT_EQ(Log::entry(huge), huge.substr(0, Log::kLongestEntry) + "… [cut " +
                                    std::to_string(huge.size() - Log::kLongestEntry) + " bytes]");

    // "é" (two bytes) straddling the limit goes whole to the cut part.
    const std::string straddling = std::string(Log::kLongestEntry - 1, 'a') + "é" + "zz";
    EXPECT_EQ(Log::entry(straddling), std::string(Log::kLongestEntry - 1, 'a') + "… [cut 4 bytes]");
    // A four-byte character ending just past the limit likewise.
    const std::string emoji = std::string(Log::kLongestEntry - 2, 'a') + "🙂";
    EXPECT_EQ(Log::entry(emoji), std::string(Log::kLongestEntry - 2, 'a') + "… [cut 4 bytes]");
}

}  // namespace
}  // namespace nimbo
