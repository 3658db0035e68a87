#include "platform/linux/JscJson.h"

#include "platform/linux/GObjectPtr.h"

namespace nimbo::x11 {

MaybeJson jsonFromJsc(JSCValue* value) {
    if (!value) return std::nullopt;
    JSCContext* context = jsc_value_get_context(value);
    GCharPtr text(jsc_value_to_json(value, 0));
    if (context && jsc_context_get_exception(context)) jsc_context_clear_exception(context);
    if (!text) return std::nullopt;
    Json parsed = Json::parse(text.get(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return std::nullopt;
    return parsed;
}

GVariant* variantFromJson(const Json& value) {
    switch (value.type()) {
    case Json::value_t::object: {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
        for (const auto& [key, member] : value.items())
            g_variant_builder_add(&builder, "{sv}", key.c_str(), variantFromJson(member));
        return g_variant_builder_end(&builder);
    }
    case Json::value_t::array: {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("av"));
        for (const auto& element : value) g_variant_builder_add(&builder, "v", variantFromJson(element));
        return g_variant_builder_end(&builder);
    }
    case Json::value_t::string: {
        const auto& text = value.get_ref<const std::string&>();
        if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
            return g_variant_new_string(text.c_str());
        // GVariant strings must be UTF-8; broken sequences become U+FFFD.
        GCharPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
        return g_variant_new_string(valid.get());
    }
    case Json::value_t::number_integer:
        return g_variant_new_int64(value.get<std::int64_t>());
    case Json::value_t::number_unsigned: {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(G_MAXINT64)) return g_variant_new_int64(static_cast<gint64>(number));
        return g_variant_new_uint64(number);
    }
    case Json::value_t::number_float:
        return g_variant_new_double(value.get<double>());
    case Json::value_t::boolean:
        return g_variant_new_boolean(value.get<bool>());
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded:
        break;
    }
    return g_variant_new_maybe(G_VARIANT_TYPE_VARIANT, nullptr);
}

}  // namespace nimbo::x11
