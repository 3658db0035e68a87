#include "platform/linux/documents/PopplerPdf.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include "platform/linux/documents/RegularFile.h"

namespace nimbo::documents {
namespace {

// Poppler's C++ binding lays a page's text out as pdftotext does (reading
// order, no padding to the page's columns) and costs no more than it.
class OpenedPdf : public platform::PdfDocument {
public:
    explicit OpenedPdf(std::unique_ptr<poppler::document> document) : document_(std::move(document)) {}

    int pageCount() override { return document_->pages(); }

    std::optional<std::string> pageText(int index) override {
        if (index < 0 || index >= pageCount()) return std::nullopt;
        std::unique_ptr<poppler::page> page(document_->create_page(index));
        if (!page) return std::nullopt;
        auto utf8 = page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout).to_utf8();
        return std::string(utf8.begin(), utf8.end());
    }

private:
    std::unique_ptr<poppler::document> document_;
};

// A damaged file's complaints are no news: it reads as no document.
void quiet(const std::string&, void*) {}

}  // namespace

std::unique_ptr<platform::PdfDocument> openPdf(const std::string& path) {
    static const bool silenced = [] {
        poppler::set_debug_error_function(quiet, nullptr);
        return true;
    }();
    (void)silenced;
    if (!regularFile(path)) return nullptr;
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
    if (!document || document->is_locked()) return nullptr;
    return std::make_unique<OpenedPdf>(std::move(document));
}

}  // namespace nimbo::documents
