// The document a window shows: a web page's address, another document's as
// it states it, else the file the application holds open under the name
// the window's title shows.
#include <atspi/atspi-constants.h>

#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/OpenFiles.h"

namespace nimbo::atspi {
namespace {

// What a document's Document interface says its address is.
std::optional<std::string> statedAddress(const Reply& reply) {
    GVariant* body = bodyOf(reply, "(a{ss})");
    if (!body) return std::nullopt;
    GVariant* map = g_variant_get_child_value(body, 0);
    std::optional<std::string> found;
    for (const char* key : {"DocURL", "URI"}) {
        const gchar* value = nullptr;
        if (g_variant_lookup(map, key, "&s", &value) && value[0] != '\0') {
            found = documentAddress(value);
            if (found) break;
        }
    }
    g_variant_unref(map);
    return found;
}

bool offersDocument(const Reply& reply) {
    GVariant* body = bodyOf(reply, "(as)");
    if (!body) return false;
    GVariant* names = g_variant_get_child_value(body, 0);
    gsize count = 0;
    const gchar** list = g_variant_get_strv(names, &count);
    bool found = false;
    for (gsize i = 0; i < count && !found; ++i) found = g_strcmp0(list[i], "org.a11y.atspi.Document") == 0;
    g_free(list);
    g_variant_unref(names);
    return found;
}

bool isWindow(uint32_t role) {
    return role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_WINDOW || role == ATSPI_ROLE_DIALOG;
}

}  // namespace

std::optional<platform::AXValue> AtspiAccessibility::document(const Element& element, Deadline deadline) {
    if (auto page = firstMatch(element, ATSPI_ROLE_DOCUMENT_WEB, deadline)) {
        auto pageFacts = facts(static_cast<const Element&>(*page), 0, false);
        // A web page's address, in text as its view states it.
        if (pageFacts && pageFacts->url) return platform::AXValue(*pageFacts->url);
    }
    auto way = route(element.ref.bus, deadline);
    if (!way) return std::nullopt;

    // The element itself and the first documents below it. Only what offers
    // the Document interface is asked for its attributes: asking others makes
    // some toolkits complain on their standard error.
    auto interfaces = [](const std::string& path) {
        return Call{"", path, "org.a11y.atspi.Accessible", "GetInterfaces", nullptr};
    };
    auto found =
        send(*way,
             {matchesCall(element.ref.path, {},
                          {ATSPI_ROLE_DOCUMENT_FRAME, ATSPI_ROLE_DOCUMENT_TEXT, ATSPI_ROLE_DOCUMENT_PRESENTATION,
                           ATSPI_ROLE_DOCUMENT_SPREADSHEET, ATSPI_ROLE_DOCUMENT_EMAIL},
                          4, true),
              interfaces(element.ref.path)},
             deadline);
    std::vector<std::string> documents;
    if (offersDocument(found[1])) documents.push_back(element.ref.path);
    std::vector<std::string> below;
    for (const ObjectRef& document : readRefs(found[0])) {
        if (document.bus == element.ref.bus && document.path != element.ref.path) below.push_back(document.path);
    }
    if (!below.empty()) {
        std::vector<Call> asks;
        asks.reserve(below.size());
        for (const std::string& path : below) asks.push_back(interfaces(path));
        auto offered = send(*way, std::move(asks), deadline);
        for (size_t i = 0; i < below.size(); ++i) {
            if (offersDocument(offered[i])) documents.push_back(below[i]);
        }
    }
    if (!documents.empty()) {
        std::vector<Call> asks;
        asks.reserve(documents.size());
        for (const std::string& path : documents) {
            asks.push_back(Call{"", path, "org.a11y.atspi.Document", "GetAttributes", nullptr});
        }
        for (const Reply& reply : send(*way, std::move(asks), deadline)) {
            if (auto stated = statedAddress(reply)) return platform::AXValue(platform::AXUrl{*stated});
        }
    }

    // Most toolkits state no address: the window's title names the file,
    // which the application holds open while it shows it.
    auto window = facts(element, 0, false);
    if (!window || !isWindow(window->role) || !window->name || window->name->empty()) return std::nullopt;
    auto pid = pidOfBus(element.ref.bus, deadline);
    if (!pid) return std::nullopt;
    if (auto file = openFileNamedIn(*pid, *window->name, deadline)) return platform::AXValue(platform::AXUrl{*file});
    return std::nullopt;
}

}  // namespace nimbo::atspi
