#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace devserver {

// One-time sign-in tickets and the sessions they turn into. There is no real
// identity provider behind it: asking for a ticket is signing in.
class Auth {
public:
    static bool knownProvider(const std::string& provider);

    // A fresh ticket "t_" + 32 characters of [A-Za-z0-9_-], valid for a few minutes.
    std::string issueTicket(const std::string& provider);

    // Uses the ticket up and answers a new session value, or nothing for a ticket
    // that was never issued, was already redeemed or has expired.
    std::optional<std::string> redeem(const std::string& ticket);

    bool knownSession(const std::string& value) const;
    void endSession(const std::string& value);

    static constexpr std::chrono::minutes ticketLife{5};
    static constexpr std::chrono::hours sessionLife{24 * 30};

private:
    using Clock = std::chrono::steady_clock;
    void dropExpiredTickets(Clock::time_point now);

    mutable std::mutex lock_;
    std::unordered_map<std::string, Clock::time_point> tickets_;  // ticket -> issued
    std::unordered_set<std::string> sessions_;
};

// The "Set-Cookie" value that starts a session, or ends it when `value` is empty.
std::string sessionCookieHeader(const std::string& value);

// The "nimbo_session" value from a "Cookie" request header, if there is one.
std::optional<std::string> sessionFromCookieHeader(const std::string& header);

}  // namespace devserver
