#include "platform/linux/atspi/Calls.h"

namespace nimbo::atspi {

Call on(const std::string& path, const char* interface, const char* method, GVariant* arguments) {
    return Call{"", path, interface, method, adoptVariant(arguments)};
}

Call property(const std::string& path, const char* interface, const char* name) {
    return on(path, kProperties, "Get", g_variant_new("(ss)", interface, name));
}

bool offers(const Reply& interfaces, const char* interface) {
    GVariant* body = bodyOf(interfaces, "(as)");
    if (!body) return false;
    GVariantIter* iter = nullptr;
    g_variant_get(body, "(as)", &iter);
    bool found = false;
    const gchar* name = nullptr;
    while (g_variant_iter_next(iter, "&s", &name)) found = found || g_strcmp0(name, interface) == 0;
    g_variant_iter_free(iter);
    return found;
}

std::optional<platform::AXError> unreachable(const Reply& interfaces) {
    if (interfaces.kind == Reply::Kind::missing) return platform::AXError::cannotComplete;
    if (interfaces.kind == Reply::Kind::error) return platform::AXError::invalidElement;
    return std::nullopt;
}

platform::AXError done(const Reply& reply) {
    if (reply.kind == Reply::Kind::missing) return platform::AXError::cannotComplete;
    gboolean yes = FALSE;
    if (GVariant* body = bodyOf(reply, "(b)")) g_variant_get(body, "(b)", &yes);
    return yes ? platform::AXError::success : platform::AXError::failure;
}

}  // namespace nimbo::atspi
