#include "Auth.h"

#include <ctime>
#include <random>

namespace devserver {
namespace {

std::string randomText(std::size_t length) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-";
    // random_device reads the kernel's generator, so tickets are not guessable.
    thread_local std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::string text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i) text += alphabet[pick(source)];
    return text;
}

}  // namespace

bool Auth::knownProvider(const std::string& provider) {
    return provider == "google" || provider == "apple";
}

std::string Auth::issueTicket(const std::string& provider) {
    (void)provider;  // every provider signs in the same local user
    std::string ticket = "t_" + randomText(32);
    std::lock_guard guard(lock_);
    auto now = Clock::now();
    dropExpiredTickets(now);
    tickets_[ticket] = now;
    return ticket;
}

std::optional<std::string> Auth::redeem(const std::string& ticket) {
    std::lock_guard guard(lock_);
    dropExpiredTickets(Clock::now());
    auto found = tickets_.find(ticket);
    if (found == tickets_.end()) return std::nullopt;
    tickets_.erase(found);
    std::string session = randomText(43);
    sessions_.insert(session);
    return session;
}

bool Auth::knownSession(const std::string& value) const {
    std::lock_guard guard(lock_);
    return sessions_.contains(value);
}

void Auth::endSession(const std::string& value) {
    std::lock_guard guard(lock_);
    sessions_.erase(value);
}

void Auth::dropExpiredTickets(Clock::time_point now) {
    std::erase_if(tickets_, [&](const auto& entry) { return now - entry.second > ticketLife; });
}

std::string sessionCookieHeader(const std::string& value) {
    // The shell treats a cookie without an expiry as expired, so always give one.
    long long seconds = value.empty() ? 0 : std::chrono::seconds(Auth::sessionLife).count();
    std::time_t expires = std::time(nullptr) + static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&expires, &utc);
    char date[64];
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return "nimbo_session=" + value + "; Path=/; HttpOnly; SameSite=Lax; Max-Age=" + std::to_string(seconds) +
           "; Expires=" + date;
}

std::optional<std::string> sessionFromCookieHeader(const std::string& header) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        if (end == std::string::npos) end = header.size();
        std::string pair = header.substr(at, end - at);
        std::size_t first = pair.find_first_not_of(' ');
        if (first != std::string::npos) pair.erase(0, first);
        static const std::string name = "nimbo_session=";
        if (pair.starts_with(name)) {
            std::string value = pair.substr(name.size());
            while (!value.empty() && value.back() == ' ') value.pop_back();
            if (!value.empty()) return value;
        }
        at = end + 1;
    }
    return std::nullopt;
}

}  // namespace devserver
