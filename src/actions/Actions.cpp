#include "actions/Actions.h"

#include <mutex>

#include "actions/Desktop.h"
#include "actions/HeldOffer.h"

namespace nimbo::Actions {
namespace {

// Guards the ticket and the held offer; held only for a check-and-swap, never while acting.
std::mutex lock;
std::int64_t currentGeneration = 0;
std::optional<Pending> heldOffer;
platform::Platform* attached = nullptr;

}  // namespace

void attach(platform::Platform& platform) {
    attached = &platform;
}

platform::Platform& desktop() {
    return *attached;
}

const std::set<std::string>& typable() {
    static const std::set<std::string> roles = {"text field", "text area", "combo box"};
    return roles;
}

const std::set<std::string>& pressable() {
    static const std::set<std::string> roles = {"button",   "dropdown",   "menu item",    "menu",
                                                "checkbox", "switch",     "radio button", "tab",
                                                "link",     "disclosure", "row",          "stepper"};
    return roles;
}

const std::regex& theirs() {
    static const std::regex words(
        R"(\b(send|submit|post|publish|tweet|reply|pay|buy|purchase|checkout|check out|order|subscribe|unsubscribe|)"
        R"(delete|remove|erase|discard|trash|destroy|transfer|withdraw|sign ?out|log ?out|deactivate|)"
        R"(cancel (?:subscription|plan|order|account)|confirm|approve|accept|agree|merge|deploy|force)\b)",
        std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
    return words;
}

std::int64_t begin() {
    std::lock_guard<std::mutex> guard(lock);
    heldOffer.reset();
    return ++currentGeneration;
}

void clear() {
    std::lock_guard<std::mutex> guard(lock);
    heldOffer.reset();
    ++currentGeneration;
}

std::int64_t generation() {
    std::lock_guard<std::mutex> guard(lock);
    return currentGeneration;
}

std::optional<Pending> held() {
    std::lock_guard<std::mutex> guard(lock);
    return heldOffer;
}

namespace detail {

bool hold(std::int64_t ticket, Pending pending) {
    std::lock_guard<std::mutex> guard(lock);
    if (ticket != currentGeneration) return false;
    heldOffer = std::move(pending);
    return true;
}

std::optional<Pending> take(const Gesture& gesture) {
    const double now = desktop().clock().now();
    std::lock_guard<std::mutex> guard(lock);
    if (!heldOffer) return std::nullopt;
    const auto& offer = *heldOffer;
    if (gesture.id && *gesture.id != offer.id) return std::nullopt;
    if (gesture.tap && !offer.tap) return std::nullopt;
    // Only a gesture made after the card was there can mean yes to it.
    if (!(gesture.began > offer.at)) return std::nullopt;
    if (!(now - offer.at < kOfferLifetime)) return std::nullopt;
    return std::exchange(heldOffer, std::nullopt);
}

}  // namespace detail
}  // namespace nimbo::Actions
