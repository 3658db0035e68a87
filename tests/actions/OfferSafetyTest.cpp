// Random page traffic, as a page gone wrong or taken over might send it, must
// never act on the desktop without a gesture of the user's; and one real tap
// after a tap-allowed offer must do exactly that offer and nothing more.
// OFFER_SAFETY_RUNS and OFFER_SAFETY_SEED change how many sequences and which.
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
    "nimbo:log",
    "nimbo:interactive",
    "nimbo:haptic",
    "nimbo:staged",
    "nimbo:type-instead",
    "nimbo:watch-frame",
    "nimbo:want-cursor",
    "nimbo:caption",
    "nimbo:level",
    "nimbo:spoken",
    "nimbo:caption-act",
    "nimbo:caption-panel",
    "nimbo:caption-shape",
    "nimbo:caption-size",
    "nimbo:pref-get",
    "nimbo:meeting-start",
    "nimbo:meeting-stop",
    "nimbo:meeting-now",
    "nimbo:guide-now",
    "nimbo:open-board",
    "nimbo:notch-look",
    "nimbo:read-page",
    "nimbo:personality-now",
    "nimbo:clipboard",
    "nimbo:quiet-now",
    "nimbo:set-quiet",
    "nimbo:set-personality",
    "nimbo:personalities",
    "nimbo:offer",
    "nimbo:offer-clear",
    "nimbo:offer-accept",
    "nimbo:offer-speech",
    "nimbo:scroll",
    "nimbo:scroll-to",
    "nimbo:steer-mode",
    "nimbo:capture",
    "nimbo:frame-now",
    "nimbo:housing",
    "nimbo:zoom",
    "nimbo:type",
    "nimbo:field-at",
    "nimbo:confirm-spoken",
    "nimbo:open-learn",
    "nimbo:open-nimbo",
    "nimbo:offer-accep",
    "nimbo:offer-speech ",
    "NIMBO:OFFER",
    "nimbo:offers",
    "nimbo:press",
    "nimbo:click",
    "nimbo:copy",
    "",
};
const std::vector<std::string> kOfferChannels = {"nimbo:offer",        "nimbo:offer",       "nimbo:offer-accept",
                                                 "nimbo:offer-speech", "nimbo:offer-clear", "nimbo:type"};
const std::vector<std::string> kKinds = {"type",   "copy",   "open",  "press", "claude", "ask-claude",
                                         "scroll", "agents", "Press", "click", ""};
const std::vector<std::string> kTexts = {
    "hello",
    "",
    "Settings",
    "Delete account",
    "https://example.com/a",
    "javascript:alert(1)",
    "file:///etc/passwd",
    "https://user:pw@example.com/",
    "/agents?a=abc_1",
    "/agents/x",
    "/learn/one",
    "confirm",
    "fix the failing test please",
    "two\nlines",
    "e1",
    "e2",
    "e3",
    "c",
    std::string(401, 'x'),
    "\U0001F468\u200D\U0001F469\u200D\U0001F467",
};
const std::vector<std::string> kKeys = {"id",   "offer",     "do",      "text",   "url",    "prompt", "page", "find",
                                        "path", "elementId", "capture", "tap",    "rect",   "x",      "y",    "w",
                                        "h",    "kind",      "at",      "submit", "target", "pages",  "grow", "ok"};

// What the shell did to the desktop, all of it counted.
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
        auto link = control("AXLink", "Docs", {{120, 260}, {80, 20}});
        link->attributes["AXURL"] = platform::AXUrl{"https://docs.example.com/start"};
        // Something else presses, and its press is not supported: a click would be the fallback.
        auto stubborn = control("AXButton", "Archive", {{400, 120}, {100, 30}});
        stubborn->actionResults["AXPress"] = platform::AXError::actionUnsupported;
        sim.clipboard.setString("the user's own");
        sim.clipboard.writes = 0;
        runs = setting("OFFER_SAFETY_RUNS", 2000);
        seed = static_cast<std::uint64_t>(setting("OFFER_SAFETY_SEED", 20261205));
        random.seed(seed);
        std::cout << "offer safety: seed " << seed << ", " << runs << " sequences\n";
    }

    Acts acts() {
        return {sim.input.clicks.size(), sim.input.warps.size(), sim.input.keys.size(),
                sim.input.pastes.size(), sim.keys.posted.size(), sim.desktop.opened.size(),
                sim.clipboard.writes,    sim.ax.actionsAsked,    sim.ax.writesAsked};
    }

    std::size_t below(std::size_t n) { return static_cast<std::size_t>(random() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    template <typename T>
    const T& pick(const std::vector<T>& from) {
        return from[below(from.size())];
    }

    Json number() {
        switch (below(6)) {
            case 0:
                return static_cast<long long>(below(6));
            case 1:
                return -1;
            case 2:
                return static_cast<double>(below(2000)) / 7.0;
            case 3:
                return 9223372036854775807LL;
            case 4:
                return 1e300;
            default:
                return capture;
        }
    }
    Json value(int depth) {
        switch (below(depth > 2 ? 5 : 8)) {
            case 0:
                return nullptr;
            case 1:
                return chance(50);
            case 2:
                return number();
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
    // What a well-formed offer of each kind carries.
    Json wellFormed(const std::string& kind) {
        if (kind == "type") return {{"text", "hello"}, {"elementId", "e3"}};
        if (kind == "copy") return chance(50) ? Json{{"text", "copy me"}} : Json{{"elementId", "e4"}};
        if (kind == "open") return {{"url", "https://example.com/a"}};
        if (kind == "press") return {{"elementId", "e" + std::to_string(1 + below(5))}};
        if (kind == "ask-claude") return {{"prompt", "fix the failing test please"}};
        if (kind == "scroll") return {{"find", "Settings"}};
        if (kind == "agents") return {{"path", "/agents?a=abc_1"}};
        return Json::object();
    }
    // An offer of some kind, often well formed, naming what the last listing showed.
    Json offer() {
        const auto& kind = pick(kKinds);
        Json body = chance(70) ? wellFormed(kind) : Json::object();
        body["do"] = kind;
        for (const char* key : {"text", "url", "prompt", "page", "find", "path"}) {
            if (chance(15)) body[key] = pick(kTexts);
        }
        if (chance(15)) body["elementId"] = "e" + std::to_string(1 + below(6));
        Json proposal{{"id", chance(90) ? Json(pick(kTexts)) : value(2)}, {"offer", body}};
        if (proposal["id"].is_string()) lastId = proposal["id"].get<std::string>();
        if (chance(85)) proposal["capture"] = chance(90) ? Json(capture) : number();
        if (chance(70)) proposal["tap"] = chance(80) ? Json(chance(50)) : value(2);
        return proposal;
    }
    Json payloadFor(const std::string& channel) {
        if (channel == "nimbo:offer" && chance(80)) return offer();
        if ((channel == "nimbo:offer-accept" || channel == "nimbo:offer-speech") && chance(70)) {
            // Mostly the id of the last offer proposed, as the page that showed its card would send.
            return Json{{"id", chance(70) ? lastId : pick(kTexts)},
                        {"rect", Json{{"x", 0}, {"y", 0}, {"w", 520}, {"h", 200}}}};
        }
        if (channel == "nimbo:caption-act" && chance(50)) return Json{{"kind", "confirm"}};
        if (channel == "nimbo:type" && chance(60)) {
            return Json{{"text", pick(kTexts)},
                        {"submit", chance(50)},
                        {"at", {{"x", 0.1}, {"y", 0.2}}},
                        {"capture", capture},
                        {"elementId", "e3"}};
        }
        return value(0);
    }

    // One random message from one of the pages, with the clock moving on a little.
    void message(std::ostringstream& trail) {
        Json sent = Json::object();
        sent["kind"] = chance(60) ? "invoke" : (chance(80) ? "send" : "answer");
        // Offer traffic often, since it is what could act.
        sent["channel"] = chance(40) ? Json(pick(kOfferChannels)) : chance(95) ? Json(pick(kChannels)) : value(2);
        if (chance(85))
            sent["payload"] = payloadFor(sent["channel"].is_string() ? sent["channel"].get<std::string>() : "");
        if (chance(80)) sent["id"] = chance(90) ? Json(static_cast<long long>(below(1000))) : value(2);
        // The caption page is the one that would accept by click.
        const bool fromCaption = sent["channel"] == "nimbo:offer-accept" ? chance(80) : chance(30);
        Overlay& from = fromCaption ? caption() : overlay();
        trail << (&from == &caption() ? "caption " : "overlay ") << sent.dump() << "\n";
        ++messages;
        webOf(from).postMessage(sent);
        if (chance(50)) sim.background.drain();
        sim.advance(static_cast<double>(below(20)) / 10.0);
        if (chance(5)) {
            // A new listing, so offers can name real controls.
            list(++capture);
        }
    }

    // A tap-allowed offer the user really accepts, and what it must do.
    struct Expected {
        Json offer;
        std::function<void(const Acts& before, const Acts& after)> check;
    };
    Expected validOffer() {
        const std::string id = "real-" + std::to_string(below(1000));
        switch (below(5)) {
            case 0:
                return {offerOf(id, {{"do", "copy"}, {"text", "copied " + id}}, std::nullopt, true),
                        [this, id](const Acts& before, const Acts& after) {
                            auto expected = before;
                            expected.clipboardWrites += 2;
                            EXPECT_EQ(after, expected);
                            EXPECT_EQ(sim.clipboard.string(), "copied " + id);
                        }};
            case 1:
                return {offerOf(id, {{"do", "open"}, {"url", "https://example.com/" + id}}, std::nullopt, true),
                        [this, id](const Acts& before, const Acts& after) {
                            auto expected = before;
                            expected.opened += 1;
                            EXPECT_EQ(after, expected);
                            EXPECT_EQ(sim.desktop.opened.back(), "https://example.com/" + id);
                        }};
            case 2: {
                auto ids = list(++capture);
                return {offerOf(id, {{"do", "press"}, {"elementId", ids.at("Settings")}}, capture, true),
                        [this, pressed = settings->performed.size()](const Acts& before, const Acts& after) {
                            auto expected = before;
                            expected.actions += 1;
                            EXPECT_EQ(after, expected);
                            EXPECT_EQ(settings->performed.size(), pressed + 1);
                        }};
            }
            case 3: {
                auto ids = list(++capture);
                search->attributes["AXValue"] = std::string("");
                return {offerOf(id, {{"do", "type"}, {"text", "typed " + id}, {"elementId", ids.at("Search")}}, capture,
                                true),
                        [this, id](const Acts& before, const Acts& after) {
                            // Focused, then written through accessibility.
                            auto expected = before;
                            expected.writes += 2;
                            EXPECT_EQ(after, expected);
                            EXPECT_EQ(search->attributes["AXValue"], platform::AXValue{"typed " + id});
                        }};
            }
            default:
                return {offerOf(id, {{"do", "ask-claude"}, {"prompt", "explain this chart to me " + id}}, std::nullopt,
                                true),
                        [this](const Acts& before, const Acts& after) {
                            auto expected = before;
                            expected.clipboardWrites += 2;
                            expected.opened += 1;
                            EXPECT_EQ(after, expected);
                            EXPECT_EQ(sim.desktop.opened.back().rfind("https://claude.ai/new?q=", 0), 0u);
                        }};
        }
    }

    // What the pages were told so far is of no interest to the next sequence.
    void forgetPageTraffic() {
        webOf(overlay()).calls.clear();
        webOf(caption()).calls.clear();
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
    list(capture);
    long long held = 0;
    const Acts none = acts();
    for (long long run = 0; run < runs; ++run) {
        forgetPageTraffic();
        std::ostringstream trail;
        for (std::size_t count = 1 + below(12); count > 0; --count) message(trail);
        settle();
        if (Actions::held()) ++held;
        if (acts() != none) {
            ADD_FAILURE() << "sequence " << run << " of seed " << seed << " acted: " << acts() << "\n" << trail.str();
            return;
        }
    }
    EXPECT_EQ(sim.clipboard.string(), "the user's own");
    // The traffic did get offers held: what it could not do, it could have.
    std::cout << "offer safety: " << runs << " sequences, " << messages << " messages, acted 0 times; " << held
              << " left an offer held\n";
    EXPECT_GT(held, runs / 20) << held << " of " << runs;
}

TEST_F(OfferSafetyTest, OneTapRunsExactlyTheOfferItAccepts) {
    list(capture);
    std::map<std::string, long long> accepted;
    for (long long run = 0; run < runs; ++run) {
        forgetPageTraffic();
        std::ostringstream trail;
        for (std::size_t count = below(8); count > 0; --count) message(trail);
        settle();
        sim.advance(0.5);  // apart from any earlier tap
        auto expected = validOffer();
        ++accepted[expected.offer["offer"]["do"].get<std::string>()];
        trail << "the real offer " << expected.offer.dump() << "\n";
        ASSERT_EQ(propose(expected.offer, overlay(), 100000 + run)["ok"], true) << trail.str();
        sim.advance(0.1);
        const Acts before = acts();
        tap();
        expected.check(before, acts());
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "sequence " << run << " of seed " << seed << "\n" << trail.str();
            return;
        }
        // Nothing is left for the traffic after it to run.
        const Acts after = acts();
        for (std::size_t count = below(6); count > 0; --count) message(trail);
        settle();
        if (acts() != after) {
            ADD_FAILURE() << "sequence " << run << " of seed " << seed << " acted after the tap: " << acts() << "\n"
                          << trail.str();
            return;
        }
    }
    std::cout << "offer safety: " << runs << " taps, " << messages << " messages, each tap ran exactly its offer:";
    for (const auto& [kind, count] : accepted) std::cout << " " << kind << " " << count;
    std::cout << "\n";
}

}  // namespace
}  // namespace nimbo
