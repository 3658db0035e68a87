#include "platform/linux/documents/PopplerPdf.h"

#include <poppler.h>

#include "platform/linux/documents/RegularFile.h"

namespace nimbo::documents {
namespace {

class OpenedPdf : public platform::PdfDocument {
public:
    explicit OpenedPdf(::PopplerDocument* document) : document_(document) {}
    ~OpenedPdf() override { g_object_unref(document_); }
    OpenedPdf(const OpenedPdf&) = delete;
    OpenedPdf& operator=(const OpenedPdf&) = delete;

    int pageCount() override { return poppler_document_get_n_pages(document_); }

    std::optional<std::string> pageText(int index) override {
        if (index < 0 || index >= pageCount()) return std::nullopt;
        PopplerPage* page = poppler_document_get_page(document_, index);
        if (!page) return std::nullopt;
        char* text = poppler_page_get_text(page);
        g_object_unref(page);
        if (!text) return std::nullopt;
        std::string out(text);
        g_free(text);
        return out;
    }

private:
    ::PopplerDocument* document_;
};

}  // namespace

std::unique_ptr<platform::PdfDocument> openPdf(const std::string& path) {
    if (!regularFile(path)) return nullptr;
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) return nullptr;
    GError* error = nullptr;
    ::PopplerDocument* document = poppler_document_new_from_file(uri, nullptr, &error);
    g_free(uri);
    if (error) g_error_free(error);
    if (!document) return nullptr;
    return std::make_unique<OpenedPdf>(document);
}

}  // namespace nimbo::documents
