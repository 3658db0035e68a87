#include <regex>

#include <gtest/gtest.h>

#include "RunningServer.h"

namespace {

std::string queryItem(const std::string& url, const std::string& name) {
    std::smatch m;
    std::regex item("[?&]" + name + "=([^&]*)");
    return std::regex_search(url, m, item) ? m[1].str() : std::string("<none>");
}

TEST(DevserverPages, ServesEachPageAsHtmlAndNothingElse) {
    RunningServer s;
    ASSERT_GT(s.port, 0);
    auto http = s.client();

    struct Page {
        std::string path;
        std::string mustContain;
    };
    for (const Page& page : {Page{"/spatial/overlay?display=1&dx=0&dy=0&dw=1920&dh=1080", "nimbo:elements"},
                             Page{"/spatial/overlay?pane=caption&notch=new&material=paint&notchR=10", "reportShape"},
                             Page{"/control#you", "startMeeting"}, Page{"/signin?error=denied", "error"}}) {
        auto res = http.Get(page.path);
        ASSERT_TRUE(res) << page.path;
        EXPECT_EQ(res->status, 200) << page.path;
        EXPECT_EQ(res->get_header_value("Content-Type").rfind("text/html", 0), 0u) << page.path;
        EXPECT_NE(res->body.find(page.mustContain), std::string::npos) << page.path;
    }
    // The overlay covers the display, so its own background must be see-through.
    auto overlay = http.Get("/spatial/overlay?display=1");
    EXPECT_NE(overlay->body.find("background: transparent"), std::string::npos);

    for (const char* unknown : {"/", "/spatial", "/spatial/overlay/x", "/api/meetings/m1/audio", "/controls"})
        EXPECT_EQ(http.Get(unknown)->status, 404) << unknown;
    EXPECT_EQ(http.Post("/control", "", "text/plain")->status, 404);
}

TEST(DevserverPages, OnlyUnderPrompterDoesTheOverlayAskForTheSteeringKeys) {
    const std::string mark = "<html data-prompter=\"on\" lang=\"en\">";
    RunningServer plain;
    EXPECT_EQ(plain.client().Get("/spatial/overlay?display=1")->body.find("<html data-prompter"), std::string::npos);

    devserver::Options options;
    options.prompter = true;
    RunningServer prompter(options);
    auto http = prompter.client();
    auto overlay = http.Get("/spatial/overlay?display=1");
    EXPECT_NE(overlay->body.find(mark), std::string::npos);
    EXPECT_NE(overlay->body.find("steerMode(true)"), std::string::npos);
    EXPECT_EQ(http.Get("/spatial/overlay?pane=caption")->body.find("data-prompter"), std::string::npos)
        << "the caption island never steers";
}

TEST(DevserverPages, TheControlPageRunsTheStepsItWasStartedWith) {
    RunningServer plain;
    EXPECT_EQ(plain.client().Get("/control")->body.find("window.nimboControlSteps ="), std::string::npos);

    devserver::Options options;
    options.controlSteps = R"([["setPref","apps","</script><b>"]])";
    RunningServer steered(options);
    const auto page = steered.client().Get("/control")->body;
    EXPECT_NE(
        page.find(R"(<script>window.nimboControlSteps = [["setPref","apps","\u003c/script>\u003cb>"]];</script>)"),
        std::string::npos)
        << page;
    EXPECT_LT(page.find("window.nimboControlSteps ="), page.find("window.nimboDesktop")) << "set before the page runs";

    options.overlayOffers = R"([{"do":"press","target":"</script>"}])";
    options.prompter = true;
    RunningServer offering(options);
    const auto overlay = offering.client().Get("/spatial/overlay?display=1")->body;
    EXPECT_NE(overlay.find(R"(<script>window.nimboOverlayOffers = [{"do":"press","target":"\u003c/script>"}];)"),
              std::string::npos)
        << overlay;
    EXPECT_NE(overlay.find("data-prompter"), std::string::npos) << "both marks at once";
}

TEST(DevserverAuth, TicketRoundTripSetsSessionOnce) {
    RunningServer s;
    auto http = s.client();

    auto start = http.Get("/api/auth/google?app=1");
    ASSERT_TRUE(start);
    ASSERT_EQ(start->status, 302);
    std::string callback = start->get_header_value("Location");
    EXPECT_EQ(callback.rfind("nimbo-auth://", 0), 0u) << callback;
    std::string ticket = queryItem(callback, "ticket");
    // The shell accepts nothing else.
    EXPECT_TRUE(std::regex_match(ticket, std::regex("^t_[A-Za-z0-9_-]{8,64}$"))) << ticket;
    EXPECT_NE(ticket, queryItem(http.Get("/api/auth/apple?app=1")->get_header_value("Location"), "ticket"));

    EXPECT_EQ(http.Get("/api/me")->body, R"({"signedIn":false})");

    auto redeem = http.Get("/api/auth/ticket?t=" + ticket);
    ASSERT_EQ(redeem->status, 302);
    EXPECT_EQ(redeem->get_header_value("Location"), "/control");
    std::string cookie = redeem->get_header_value("Set-Cookie");
    std::smatch session;
    ASSERT_TRUE(std::regex_search(cookie, session, std::regex("^nimbo_session=([^;]+);"))) << cookie;
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("Path=/;"), std::string::npos);
    // Without an expiry the shell would count the session as already over.
    EXPECT_NE(cookie.find("Max-Age=2592000"), std::string::npos);

    httplib::Headers withCookie = {{"Cookie", "theme=dark; nimbo_session=" + session[1].str()}};
    EXPECT_EQ(http.Get("/api/me", withCookie)->body, R"({"signedIn":true})");

    auto again = http.Get("/api/auth/ticket?t=" + ticket);
    EXPECT_EQ(again->status, 302);
    EXPECT_EQ(again->get_header_value("Location").rfind("/signin?error=", 0), 0u);
    EXPECT_FALSE(again->has_header("Set-Cookie"));

    auto signout = http.Get("/api/auth/signout", withCookie);
    EXPECT_NE(signout->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(http.Get("/api/me", withCookie)->body, R"({"signedIn":false})");
}

TEST(DevserverAuth, RefusalsCarryAnErrorTheShellPassesOn) {
    RunningServer s;
    auto http = s.client();
    std::regex errorPattern("^[a-z]{1,20}$");

    auto unknown = http.Get("/api/auth/myspace?app=1");
    ASSERT_EQ(unknown->status, 302);
    std::string location = unknown->get_header_value("Location");
    EXPECT_EQ(location.rfind("nimbo-auth://", 0), 0u);
    EXPECT_EQ(queryItem(location, "ticket"), "<none>");
    EXPECT_TRUE(std::regex_match(queryItem(location, "error"), errorPattern)) << location;

    for (const char* bad : {"/api/auth/ticket?t=t_neverissued123", "/api/auth/ticket?t=", "/api/auth/ticket"}) {
        auto res = http.Get(bad);
        std::string to = res->get_header_value("Location");
        ASSERT_EQ(to.rfind("/signin?error=", 0), 0u) << bad;
        EXPECT_TRUE(std::regex_match(to.substr(14), errorPattern)) << to;
    }

    // A browser without the app flag is taken through the redemption on the server itself.
    auto browser = http.Get("/api/auth/apple");
    EXPECT_EQ(browser->get_header_value("Location").rfind("/api/auth/ticket?t=t_", 0), 0u);
}

}  // namespace
