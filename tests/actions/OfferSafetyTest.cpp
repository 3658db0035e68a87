// Random page traffic, as a page gone wrong or taken over might send it, never
// acts on the desktop without a gesture of the user's; one real tap after a
// tap-allowed offer does exactly that offer. OFFER_SAFETY_RUNS and
// OFFER_SAFETY_SEED choose how many sequences and which.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>

#include "OfferDesk.h"

namespace nimbo {
namespace {

using testing::offerOf;

// Every channel the overlay dispatcher knows, then near misses and strangers.
const std::vector<std::string> kChannels = {
    "nimbo:log",           "nimbo:interactive",     "nimbo:haptic",          "nimbo:staged",       "nimbo:type-instead",
    "nimbo:watch-frame",   "nimbo:want-cursor",     "nimbo:caption",         "nimbo:level",        "nimbo:spoken",
    "nimbo:caption-act",   "nimbo:caption-panel",   "nimbo:caption-shape",   "nimbo:caption-size", "nimbo:pref-get",
    "nimbo:meeting-start", "nimbo:meeting-stop",    "nimbo:meeting-now",     "nimbo:guide-now",    "nimbo:open-board",
    "nimbo:notch-look",    "nimbo:read-page",       "nimbo:personality-now", "nimbo:clipboard",    "nimbo:quiet-now",
    "nimbo:set-quiet",     "nimbo:set-personality", "nimbo:personalities",   "nimbo:offer",        "nimbo:offer-clear",
    "nimbo:offer-accept",  "nimbo:offer-speech",    "nimbo:scroll",          "nimbo:scroll-to",    "nimbo:steer-mode",
    "nimbo:capture",       "nimbo:frame-now",       "nimbo:housing",         "nimbo:zoom",         "nimbo:type",
    "nimbo:field-at",      "nimbo:confirm-spoken",  "nimbo:open-learn",      "nimbo:open-nimbo",   "nimbo:offer-accep",
    "nimbo:offer-speech ", "NIMBO:OFFER",           "nimbo:press",           "nimbo:click",        ""};
// What could act, sent often.
const std::vector<std::string> kActing = {"nimbo:offer",        "nimbo:offer",       "nimbo:offer-accept",
                                          "nimbo:offer-speech", "nimbo:offer-clear", "nimbo:type"};
const std::vector<std::string> kKinds = {"type",   "copy",   "open",  "press", "claude", "ask-claude",
                                         "scroll", "agents", "Press", "click", ""};
const std::vector<std::string> kTexts = {"hello",
                                         "",
                                         "Settings",
                                         "Delete account",
                                         "https://example.com/a",
                                         "javascript:alert(1)",
                                         "file:///etc/passwd",
                                         "https://u:p@example.com/",
                                         "/agents?a=abc_1",
                                         "/agents/x",
                                         "confirm",
                                         "fix the failing test please",
                                         "two\nlines",
                                         "e1",
                                         "e3",
                                         std::string(401, 'x'),
                                         "\u2028"};
const std::vector<std::string> kKeys = {"id",   "offer", "do",   "text",      "url",     "prompt",
                                        "page", "find",  "path", "elementId", "capture", "tap",
                                        "rect", "x",     "y",    "kind",      "at",      "submit"};

// Everything the shell can do to the desktop, counted.
struct Acts {
    std::size_t clicks = 0, warps = 0, keys = 0, pastes = 0, posted = 0, opened = 0;
    int clipboardWrites = 0, actions = 0, writes = 0;
    bool operator==(const Acts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Acts& a) {
    return out << "clicks " << a.clicks << ", warps " << a.warps << ", keys " << a.keys << ", pastes " << a.pastes
               << ", posted keys " << a.posted << ", opened " << a.opened << ", clipboard writes " << a.clipboardWrites
               << ", AX actions " << a.actions << ", AX writes " << a.writes;
}

long long setting(const char* name, long long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoll(text) : fallback;
}

class OfferSafetyTest : public testing::OfferDesk {
protected:
    void SetUp() override {
        OfferDesk::SetUp();
        settings = control("AXButton", "Settings", {{120, 120}, {100, 30}});
        control("AXButton", "Delete account", {{240, 120}, {140, 30}});
        search = control("AXTextField", "Search", {{120, 200}, {300, 30}});
        search->attributes["AXValue"] = std::string("draft");
        control("AXLink", "Docs", {{120, 260}, {80, 20}})->attributes["AXURL"] = platform::AXUrl{"https://a.example/"};
        // Its press is unsupported, so pressing it would be a synthetic click.
        control("AXButton", "Archive", {{400, 120}, {100, 30}})->actionResults["AXPress"] =
            platform::AXError::actionUnsupported;
        sim.clipboard.setString("the user's own");
        sim.clipboard.writes = 0;
        runs = setting("OFFER_SAFETY_RUNS", 2000);
        seed = static_cast<std::uint64_t>(setting("OFFER_SAFETY_SEED", 20261205));
        random.seed(seed);
        std::cout << "offer safety: seed " << seed << ", " << runs << " sequences\n";
        list(capture);
    }

    Acts acts() {
        return {sim.input.clicks.size(), sim.input.warps.size(), sim.input.keys.size(),
                sim.input.pastes.size(), sim.keys.posted.size(), sim.desktop.opened.size(),
                sim.clipboard.writes,    sim.ax.actionsAsked,    sim.ax.writesAsked};
    }

    std::size_t below(std::size_t n) { return static_cast<std::size_t>(random() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    const std::string& pick(const std::vector<std::string>& from) { return from[below(from.size())]; }

    Json value(int depth) {
        switch (below(depth > 2 ? 5 : 7)) {
            case 0:
                return nullptr;
            case 1:
                return chance(50);
            case 2:
                return std::vector<Json>{capture, -1, 2.5, 9223372036854775807LL, 1e300}[below(5)];
            case 3:
            case 4:
                return pick(kTexts);
            case 5: {
                Json list = Json::array();
                for (std::size_t i = below(4); i > 0; --i) list.push_back(value(depth + 1));
                return list;
            }
            default: {
                Json object = Json::object();
                for (std::size_t i = below(5); i > 0; --i) object[pick(kKeys)] = value(depth + 1);
                return object;
            }
        }
    }
    // An offer of some kind, often well formed and naming what the last listing showed.
    Json offer() {
        const auto& kind = pick(kKinds);
        Json body = Json::object();
        if (chance(70)) {
            if (kind == "type") body = {{"text", "hello"}, {"elementId", "e3"}};
            if (kind == "copy") body = chance(50) ? Json{{"text", "copy me"}} : Json{{"elementId", "e4"}};
            if (kind == "open") body = {{"url", "https://example.com/a"}};
            if (kind == "press") body = {{"elementId", "e" + std::to_string(1 + below(5))}};
            if (kind == "ask-claude") body = {{"prompt", "fix the failing test please"}};
            if (kind == "scroll") body = {{"find", "Settings"}};
            if (kind == "agents") body = {{"path", "/agents?a=abc_1"}};
        }
        body["do"] = kind;
        for (const char* key : {"text", "url", "prompt", "find", "path", "elementId"}) {
            if (chance(15)) body[key] = pick(kTexts);
        }
        Json proposal{{"id", chance(90) ? Json(pick(kTexts)) : value(2)}, {"offer", body}};
        if (proposal["id"].is_string()) lastId = proposal["id"].get<std::string>();
        if (chance(85)) proposal["capture"] = chance(90) ? Json(capture) : value(2);
        if (chance(70)) proposal["tap"] = chance(80) ? Json(chance(50)) : value(2);
        return proposal;
    }
    Json payloadFor(const std::string& channel) {
        if (channel == "nimbo:offer" && chance(80)) return offer();
        if ((channel == "nimbo:offer-accept" || channel == "nimbo:offer-speech") && chance(70)) {
            // Mostly the last offer's id, as the page that showed its card would send.
            return {{"id", chance(70) ? lastId : pick(kTexts)}, {"rect", {{"x", 0}, {"y", 0}, {"w", 520}, {"h", 200}}}};
        }
        if (channel == "nimbo:caption-act" && chance(50)) return {{"kind", "confirm"}};
        if (channel == "nimbo:type" && chance(60)) {
            return {{"text", pick(kTexts)},
                    {"submit", chance(50)},
                    {"at", {{"x", 0.1}, {"y", 0.2}}},
                    {"capture", capture},
                    {"elementId", "e3"}};
        }
        return value(0);
    }
    // One random message from one of the pages, the clock moving on a little after it.
    void message(std::ostringstream& trail) {
        Json sent{{"kind", chance(60) ? "invoke" : (chance(80) ? "send" : "answer")}};
        sent["channel"] = chance(40) ? Json(pick(kActing)) : chance(95) ? Json(pick(kChannels)) : value(2);
        if (chance(85))
            sent["payload"] = payloadFor(sent["channel"].is_string() ? sent["channel"].get<std::string>() : "");
        if (chance(80)) sent["id"] = chance(90) ? Json(static_cast<long long>(below(1000))) : value(2);
        // The caption page is the one that would accept by click.
        const bool fromCaption = chance(sent["channel"] == "nimbo:offer-accept" ? 80 : 30);
        trail << (fromCaption ? "caption " : "overlay ") << sent.dump() << "\n";
        webOf(fromCaption ? caption() : overlay()).postMessage(sent);
        ++messages;
        if (chance(50)) sim.background.drain();
        sim.advance(static_cast<double>(below(20)) / 10.0);
        if (chance(5)) list(++capture);  // a new listing, so offers can name real controls
    }
    // Random traffic; what the pages were told before is of no interest to it.
    std::string traffic(std::size_t count) {
        webOf(overlay()).calls.clear();
        webOf(caption()).calls.clear();
        std::ostringstream trail;
        for (; count > 0; --count) message(trail);
        settle();
        return trail.str();
    }

    long long runs = 0;
    long long messages = 0;
    std::uint64_t seed = 0;
    std::mt19937_64 random;
    int capture = 1;
    std::string lastId;
    sim::SimRef settings;
    sim::SimRef search;
};

TEST_F(OfferSafetyTest, PageTrafficAloneNeverActs) {
    long long held = 0;
    const Acts none = acts();
    for (long long run = 0; run < runs; ++run) {
        auto trail = traffic(1 + below(12));
        if (Actions::held()) ++held;
        ASSERT_EQ(acts(), none) << "sequence " << run << " of seed " << seed << " acted:\n" << trail;
    }
    EXPECT_EQ(sim.clipboard.string(), "the user's own");
    std::cout << "offer safety: " << runs << " sequences, " << messages << " messages, acted 0 times; " << held
              << " left an offer held\n";
    // What the traffic did not do, it could have: offers were held.
    EXPECT_GT(held, runs / 20);
}

TEST_F(OfferSafetyTest, OneTapRunsExactlyTheOfferItAccepts) {
    std::map<std::string, long long> tally;
    for (long long run = 0; run < runs; ++run) {
        auto trail = traffic(below(8));
        sim.advance(0.5);  // apart from any earlier tap
        // A tap-allowed offer and the one change it makes.
        const std::string id = "real-" + std::to_string(run);
        const auto kind = std::vector<std::string>{"copy", "open", "press", "type", "ask-claude"}[below(5)];
        Json body{{"do", kind}};
        Acts change;  // only the members an offer changes
        if (kind == "copy") {
            body["text"] = id;
            change.clipboardWrites = 2;
        } else if (kind == "open") {
            body["url"] = "https://example.com/" + id;
            change.opened = 1;
        } else if (kind == "ask-claude") {
            body["prompt"] = "explain this chart " + id;
            change.clipboardWrites = 2;
            change.opened = 1;
        } else if (kind == "press") {
            body["elementId"] = list(++capture).at("Settings");
            change.actions = 1;
        } else {
            search->attributes["AXValue"] = std::string("");
            body["text"] = id;
            body["elementId"] = list(++capture).at("Search");
            change.writes = 2;  // focused, then written
        }
        ++tally[kind];
        ASSERT_EQ(propose(offerOf(id, body, capture, true), overlay(), 100000 + run)["ok"], true) << trail;
        sim.advance(0.1);
        const Acts before = acts();
        chord(0.1);
        Acts expected = before;
        expected.opened += change.opened;
        expected.actions += change.actions;
        expected.clipboardWrites += change.clipboardWrites;
        expected.writes += change.writes;
        ASSERT_EQ(acts(), expected) << "sequence " << run << " of seed " << seed << ", " << kind << "\n" << trail;
        if (kind == "copy") {
            ASSERT_EQ(sim.clipboard.string(), id);
        } else if (kind == "type") {
            ASSERT_EQ(search->attributes["AXValue"], platform::AXValue{id});
        }
        // Nothing is left for the traffic after it to run.
        trail += traffic(below(6));
        ASSERT_EQ(acts(), expected) << "sequence " << run << " of seed " << seed << " acted after the tap\n" << trail;
    }
    std::cout << "offer safety: " << runs << " taps, " << messages << " messages, each ran exactly its offer:";
    for (const auto& [kind, count] : tally) std::cout << " " << kind << " " << count;
    std::cout << "\n";
}

}  // namespace
}  // namespace nimbo
