// HTML as a reader sees it: the body's text with scripts, styles and the
// head left out, each block on lines of its own, white space collapsed as a
// browser does outside preformatted text.
#include <glib.h>
#include <libxml/HTMLparser.h>

#include <array>
#include <cstring>

#include "platform/linux/documents/Readers.h"
#include "platform/linux/documents/TextSink.h"

namespace nimbo::documents {
namespace {

// An HTML file larger than this is read as its start.
constexpr std::size_t kLongestHtml = 32U << 20;
// Deeper nesting than this is not walked (the parser keeps to less anyway).
constexpr int kDeepest = 512;

constexpr std::array kHidden{"script", "style", "noscript", "template", "head", "svg", "object", "iframe"};
constexpr std::array kBlocks{"p",       "div",        "br",      "li",      "ul",      "ol",     "h1",
                             "h2",      "h3",         "h4",      "h5",      "h6",      "tr",     "table",
                             "section", "article",    "header",  "footer",  "nav",     "aside",  "main",
                             "pre",     "blockquote", "dt",      "dd",      "dl",      "figure", "figcaption",
                             "hr",      "address",    "caption", "details", "summary", "form",   "fieldset"};

template <size_t N>
bool among(const std::array<const char*, N>& names, const char* name) {
    for (const char* listed : names) {
        if (g_ascii_strcasecmp(listed, name) == 0) return true;
    }
    return false;
}

class Walk {
public:
    explicit Walk(std::size_t enough) : sink_(enough) {}

    void node(xmlNode* node, int depth, bool preformatted) {
        for (; node && !sink_.full() && depth < kDeepest; node = node->next) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                text(reinterpret_cast<const char*>(node->content), preformatted);
            } else if (node->type == XML_ELEMENT_NODE) {
                const auto* name = reinterpret_cast<const char*>(node->name);
                if (among(kHidden, name)) continue;
                bool block = among(kBlocks, name);
                if (block) lineEnd();
                if (g_ascii_strcasecmp(name, "td") == 0 || g_ascii_strcasecmp(name, "th") == 0) space_ = true;
                this->node(node->children, depth + 1, preformatted || g_ascii_strcasecmp(name, "pre") == 0);
                if (block) lineEnd();
            }
        }
    }

    std::string take() { return sink_.take(); }

private:
    void text(const char* content, bool preformatted) {
        if (!content) return;
        if (preformatted) {
            sink_.add(content);
            space_ = false;
            return;
        }
        std::string collapsed;
        for (const char* c = content; *c; ++c) {
            if (g_ascii_isspace(*c)) {
                space_ = true;
                continue;
            }
            if (space_) {
                bool lineStart = collapsed.empty() && (sink_.text().empty() || sink_.text().back() == '\n');
                if (!lineStart) collapsed += ' ';
                space_ = false;
            }
            collapsed += *c;
        }
        sink_.add(collapsed);
    }
    void lineEnd() {
        sink_.breakLine();
        space_ = false;
    }

    TextSink sink_;
    bool space_ = false;
};

}  // namespace

std::optional<std::string> htmlText(const std::string& path, std::size_t enough) {
    auto bytes = fileStart(path, kLongestHtml);
    if (!bytes) return std::nullopt;
    // Bytes that are UTF-8 are taken as such; others go by the page's own charset.
    const char* encoding =
        g_utf8_validate(bytes->data(), static_cast<gssize>(bytes->size()), nullptr) ? "UTF-8" : nullptr;
    htmlDocPtr document =
        htmlReadMemory(bytes->data(), static_cast<int>(bytes->size()), nullptr, encoding,
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (!document) return std::nullopt;
    Walk walk(enough);
    walk.node(xmlDocGetRootElement(document), 0, false);
    xmlFreeDoc(document);
    return walk.take();
}

}  // namespace nimbo::documents
