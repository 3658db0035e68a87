#include "platform/linux/gtk/JscJson.h"

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code unit of the six-character escape starting at `at`, or -1.
int escapedUnit(const std::string& text, size_t at) {
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') return -1;
    int unit = 0;
    for (size_t i = at + 2; i < at + 6; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

bool isHigh(int unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(int unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string replaceLoneSurrogates(std::string json) {
    bool inString = false;
    for (size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (!inString) {
            inString = c == '"';
            continue;
        }
        if (c == '"') {
            inString = false;
        } else if (c == '\\') {
            const int unit = escapedUnit(json, i);
            if (unit < 0) {
                ++i;  // a two-character escape, such as an escaped quote
                continue;
            }
            if (isHigh(unit) && isLow(escapedUnit(json, i + 6))) {
                i += 11;  // a whole pair
                continue;
            }
            if (isHigh(unit) || isLow(unit)) json.replace(i + 2, 4, "fffd");
            i += 5;
        }
    }
    return json;
}

MaybeJson jsonFromJsc(JSCValue* value) {
    if (!value) return std::nullopt;
    JSCContext* context = jsc_value_get_context(value);
    GCharPtr text(jsc_value_to_json(value, 0));
    if (context && jsc_context_get_exception(context)) jsc_context_clear_exception(context);
    if (!text) return std::nullopt;
    // Script strings are UTF-16 and may hold a lone surrogate (text cut in the
    // middle of an emoji); it has no UTF-8 form, so it becomes U+FFFD rather
    // than costing the whole message.
    Json parsed = Json::parse(replaceLoneSurrogates(text.get()), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return std::nullopt;
    return parsed;
}

namespace {

bool isIdentifier(const std::string& name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

GVariant* stringVariant(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        return g_variant_new_string(text.c_str());
    // GVariant strings must be UTF-8; broken sequences become U+FFFD.
    GCharPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return g_variant_new_string(valid.get());
}

}  // namespace

ScriptArguments scriptArguments(const Json& arguments) {
    ScriptArguments out;
    if (!arguments.is_object() || arguments.empty()) return out;
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
    for (const auto& [name, value] : arguments.items()) {
        if (!isIdentifier(name)) {
            out.error = "argument name \"" + name + "\" is not an identifier";
            g_variant_builder_clear(&builder);
            return out;
        }
        GVariant* member = nullptr;
        switch (value.type()) {
            case Json::value_t::string:
                member = stringVariant(value.get_ref<const std::string&>());
                break;
            case Json::value_t::number_integer:
                member = g_variant_new_int64(value.get<std::int64_t>());
                break;
            case Json::value_t::number_unsigned:
                member = g_variant_new_uint64(value.get<std::uint64_t>());
                break;
            case Json::value_t::number_float:
                member = g_variant_new_double(value.get<double>());
                break;
            default:
                member = stringVariant(value.dump(-1, ' ', false, Json::error_handler_t::replace));
                out.prelude += name;
                out.prelude += " = JSON.parse(";
                out.prelude += name;
                out.prelude += ");\n";
                break;
        }
        g_variant_builder_add(&builder, "{sv}", name.c_str(), member);
    }
    out.variant = g_variant_builder_end(&builder);
    return out;
}

}  // namespace nimbo::x11
