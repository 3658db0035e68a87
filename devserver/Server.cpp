#include "Server.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "Pages.h"

namespace devserver {
namespace {

using httplib::Request;
using httplib::Response;

void note(const std::string& line) {
    // One write per line, so lines from handler threads don't interleave.
    std::string text = "nimbo-devserver: " + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

void sendPage(Response& res, const std::string& html) {
    res.set_header("Cache-Control", "no-store");  // edits to the pages show on reload
    res.set_content(html, "text/html; charset=utf-8");
}

// The overlay page takes the steering keys as it loads when its root element
// carries this mark, so steering can be tried without a teleprompter.
std::string markedForPrompter(std::string page) {
    const std::string root = "<html";
    const auto at = page.find(root);
    if (at != std::string::npos) page.insert(at + root.size(), " data-prompter=\"on\"");
    return page;
}

// Hands a page what a test set for it as the global `name`. "<" only occurs
// inside JSON strings, where \u003c says the same without closing the script.
std::string withGlobal(std::string page, const std::string& name, const std::string& steps) {
    if (steps.empty()) return page;
    std::string json;
    for (char c : steps) json += c == '<' ? std::string("\\u003c") : std::string(1, c);
    const std::string script = "<script>window." + name + " = " + json + ";</script>\n";
    const auto at = page.find("<script>");
    page.insert(at == std::string::npos ? page.size() : at, script);
    return page;
}

void sendJson(Response& res, int status, const nlohmann::json& body) {
    res.status = status;
    res.set_content(body.dump(), "application/json");
}

void sendOutcome(Response& res, const Outcome& outcome) {
    if (outcome.status == 200) {
        sendJson(res, 200, {{"ok", true}, {"detail", outcome.message}});
    } else {
        sendJson(res, outcome.status, {{"ok", false}, {"why", outcome.message}});
    }
}

std::string partText(const Request& req, const std::string& name) {
    return req.has_file(name) ? req.get_file_value(name).content : std::string();
}

// Whether something already accepts connections on host:port.
bool portTaken(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    bool taken = false;
    for (addrinfo* a = found; a && !taken; a = a->ai_next) {
        int probe = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (probe < 0) continue;
        taken = ::connect(probe, a->ai_addr, a->ai_addrlen) == 0;
        ::close(probe);
    }
    freeaddrinfo(found);
    return taken;
}

}  // namespace

Server::Server(Options options)
    : options_(std::move(options)), http_(std::make_unique<httplib::Server>()), meetings_(options_.data) {
    // Meeting chunks are 15 s of 16 kHz audio (about 0.5 MB); leave ample room.
    http_->set_payload_max_length(size_t{64} * 1024 * 1024);
    http_->set_logger([](const Request& req, const Response& res) {
        // The query shows what a page was asked for; sign-in queries carry tickets and stay out.
        const bool secret = req.path.rfind("/api/auth/", 0) == 0;
        note(req.method + " " + (secret ? req.path : req.target) + " -> " + std::to_string(res.status));
    });
    // Handlers that refuse write their own reason; only a bare 404 gets this text.
    http_->set_error_handler(httplib::Server::HandlerWithResponse([](const Request&, Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        if (res.status == 404)
            res.set_content("not found; this server has /spatial/overlay, /control and /signin\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    }));
    addRoutes();
}

Server::~Server() {
    stop();
}

int Server::bind() {
    if (options_.port == 0) return http_->bind_to_any_port(options_.host);
    // httplib binds with SO_REUSEPORT, so a second server on a busy port would
    // quietly share its connections instead of failing; check first.
    if (portTaken(options_.host, options_.port)) return -1;
    return http_->bind_to_port(options_.host, options_.port) ? options_.port : -1;
}

bool Server::run() {
    runEntered_ = true;
    bool served = true;
    // A stop() that came before this point found nothing to stop; honour it here.
    if (!stopRequested_) served = http_->listen_after_bind();
    runExited_ = true;
    return served;
}

void Server::stop() {
    stopRequested_ = true;
    if (!runEntered_) return;  // run() will see the request and not start
    // httplib ignores stop() until its accept loop has begun; that is a matter of
    // instructions once run() has been entered.
    while (!http_->is_running() && !runExited_) std::this_thread::yield();
    http_->stop();
}

std::optional<std::string> Server::admit(const httplib::Request& req, httplib::Response& res, const std::string& id,
                                         const std::string& what) {
    // The shell marks its own requests and carries the session cookie; a dev server
    // takes them anyway (unless --require-session) but says what was missing.
    auto session = sessionFromCookieHeader(req.get_header_value("Cookie"));
    std::string state = !session ? "none" : auth_.knownSession(*session) ? "known" : "unknown";
    if (req.get_header_value("x-nimbo-app") != "1") note("meeting " + id + " — " + what + " without x-nimbo-app: 1");
    if (state != "known") note("meeting " + id + " — " + what + " with " + state + " session cookie");
    if (options_.requireSession && state != "known") {
        sendJson(res, 401, {{"ok", false}, {"why", "sign in first"}});
        return std::nullopt;
    }
    return state;
}

void Server::addRoutes() {
    auto& http = *http_;

    http.Get("/spatial/overlay", [this](const Request& req, Response& res) {
        if (req.get_param_value("pane") == "caption") {
            sendPage(res, nimbo::devserverCaptionPage());
        } else {
            auto page = withGlobal(nimbo::devserverOverlayPage(), "nimboOverlayOffers", options_.overlayOffers);
            page = withGlobal(std::move(page), "nimboOverlayCalls", options_.overlayCalls);
            sendPage(res, options_.prompter ? markedForPrompter(page) : page);
        }
    });
    http.Get("/control", [this](const Request&, Response& res) {
        sendPage(res, withGlobal(nimbo::devserverControlPage(), "nimboControlSteps", options_.controlSteps));
    });
    http.Get("/signin", [](const Request&, Response& res) { sendPage(res, nimbo::devserverSigninPage()); });

    // Registered before the provider route, which would otherwise take "ticket" as a provider.
    http.Get("/api/auth/ticket", [this](const Request& req, Response& res) {
        auto session = auth_.redeem(req.get_param_value("t"));
        if (!session) {
            note("a ticket that was never issued or is used up was refused");
            res.set_redirect("/signin?error=ticket");
            return;
        }
        res.set_header("Set-Cookie", sessionCookieHeader(*session));
        res.set_redirect("/control");
    });
    http.Get("/api/auth/signout", [this](const Request& req, Response& res) {
        if (auto session = sessionFromCookieHeader(req.get_header_value("Cookie"))) auth_.endSession(*session);
        res.set_header("Set-Cookie", sessionCookieHeader(""));
        res.set_redirect("/signin");
    });
    http.Get(R"(/api/auth/([^/]+))", [this](const Request& req, Response& res) {
        std::string provider = req.matches[1];
        // The shell's sign-in sheet asks with app=1 and waits for the nimbo-auth
        // scheme; a plain browser is sent straight on to redeem the ticket here.
        bool app = req.get_param_value("app") == "1";
        if (!Auth::knownProvider(provider)) {
            res.set_redirect(app ? "nimbo-auth://callback?error=provider" : "/signin?error=provider");
            return;
        }
        std::string ticket = auth_.issueTicket(provider);
        res.set_redirect(app ? "nimbo-auth://callback?ticket=" + ticket : "/api/auth/ticket?t=" + ticket);
    });
    http.Get("/api/me", [this](const Request& req, Response& res) {
        auto session = sessionFromCookieHeader(req.get_header_value("Cookie"));
        sendJson(res, 200, {{"signedIn", session && auth_.knownSession(*session)}});
    });

    // (.+) rather than ([^/]+): an id with a slash must reach the id check and be
    // refused as such, not fall through to "not found".
    http.Post(R"(/api/meetings/(.+)/audio)", [this](const Request& req, Response& res) {
        std::string id = req.matches[1];
        auto session = admit(req, res, id, "chunk");
        if (!session) return;
        if (!req.is_multipart_form_data()) {
            sendJson(res, 400, {{"ok", false}, {"why", "expected a multipart form"}});
            return;
        }
        if (!req.has_file("audio")) {
            sendJson(res, 400, {{"ok", false}, {"why", "no \"audio\" part"}});
            return;
        }
        Chunk chunk{partText(req, "source"), partText(req, "at"), partText(req, "words"), partText(req, "hears"),
                    req.get_file_value("audio").content};
        nlohmann::json extra = {{"session", *session}, {"app", req.get_header_value("x-nimbo-app") == "1"}};
        Outcome outcome = meetings_.addChunk(id, chunk, extra);
        if (outcome.status != 200) note("meeting " + id + " — chunk refused: " + outcome.message);
        sendOutcome(res, outcome);
    });
    http.Patch(R"(/api/meetings/(.+))", [this](const Request& req, Response& res) {
        std::string id = req.matches[1];
        if (!admit(req, res, id, "update")) return;
        Outcome outcome = meetings_.update(id, req.body);
        if (outcome.status == 200) note("meeting " + id + " — recorded " + req.body);
        sendOutcome(res, outcome);
    });
}

}  // namespace devserver
