#pragma once
// The native side of the page bridge: encoding values for pages, pushing events,
// answering invokes, and reading what a page posted.
#include <functional>
#include <optional>
#include <string>

#include "platform/Json.h"
#include "platform/WebView.h"

namespace nimbo {

// One message a page posted, after the checks every receiver makes.
struct BridgeMessage {
    std::string kind;     // "send" or "invoke"
    std::string channel;  // "nimbo:..."
    MaybeJson payload;    // absent when the page passed none
    std::optional<long long> id;
};

namespace Bridge {

// Compact JSON text of a value, bare fragments included; absent when it has
// no JSON form (non-finite numbers, raw bytes, text that is not UTF-8).
std::optional<std::string> jsonText(const Json& value);

// JSON text of a value, bare fragments included; "null" for an absent value and
// for anything that has no JSON form (non-finite numbers, raw bytes, bad UTF-8).
std::string encode(const MaybeJson& value);

// Pushes one event into one page. A page whose bridge isn't there yet misses it.
void emit(platform::WebView& web, const std::string& channel, const MaybeJson& payload);

// Answers one invoke of that page.
void resolve(platform::WebView& web, long long id, const MaybeJson& value);

// Reads a posted message: absent (and silently dropped) unless it came from the
// main frame as a dictionary whose "kind" and "channel" are text.
std::optional<BridgeMessage> receive(const platform::ScriptMessage& message);

// Prepares a web view for a page of the shell: the page script at document
// start in the main frame of documents from the origin of `pageAddress`, and
// `onMessage` for every well-formed message such a document posts. A document
// of any other origin (the page navigated away, or was redirected) gets no
// bridge: its messages are dropped, with one log line per document.
void install(platform::WebView& web, const std::string& pageAddress,
             std::function<void(const BridgeMessage&)> onMessage);

}  // namespace Bridge
}  // namespace nimbo
