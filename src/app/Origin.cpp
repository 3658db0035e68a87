#include "app/Origin.h"

#include "base/Log.h"
#include "base/Text.h"
#include "base/Url.h"

namespace nimbo::Origin {
namespace {

std::optional<std::string> textOf(const MaybeJson& value) {
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

}  // namespace

std::optional<std::string> usable(const std::optional<std::string>& value, const std::string& source) {
    if (!value) return std::nullopt;

    std::string text = Text::trimmed(*value);
    while (!text.empty() && text.back() == '/') text.pop_back();

    auto url = Url::parse(text);
    bool ok = url && (url->scheme() == "http" || url->scheme() == "https") && url->hasAuthorityHost() &&
              Url::parse(text + "/control").has_value();
    if (ok) return text;

    Log::line("nimbo: ignoring the server address from " + source + " — \"" + *value + "\" is not an http(s) address");
    return std::nullopt;
}

std::string resolve(const platform::Environment& env, platform::Defaults& defaults, const platform::Bundle& bundle) {
    if (auto fromEnv = usable(env.variable("NIMBO_URL"), "NIMBO_URL")) {
        defaults.set(kDefaultsKey, *fromEnv);
        return *fromEnv;
    }
    if (auto fromLast = usable(textOf(defaults.get(kDefaultsKey)), "the last launch")) return *fromLast;
    if (auto fromBundle = usable(textOf(bundle.info("NimboOrigin")), "the app bundle")) return *fromBundle;
    return kBuiltIn;
}

}  // namespace nimbo::Origin
