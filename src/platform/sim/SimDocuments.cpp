#include "platform/sim/SimDocuments.h"

namespace nimbo::sim {
namespace {

class OpenedPdf : public platform::PdfDocument {
public:
    OpenedPdf(const SimPdf& pdf, int& pagesRead) : pdf_(pdf), pagesRead_(pagesRead) {}
    int pageCount() override { return static_cast<int>(pdf_.pages.size()); }
    std::optional<std::string> pageText(int index) override {
        if (index < 0 || index >= pageCount()) return std::nullopt;
        ++pagesRead_;
        return pdf_.pages[static_cast<size_t>(index)];
    }

private:
    const SimPdf& pdf_;
    int& pagesRead_;
};

}  // namespace

std::unique_ptr<platform::PdfDocument> SimDocuments::openPdf(const std::string& path) {
    opened.push_back(path);
    auto found = pdfs.find(path);
    if (found == pdfs.end()) return nullptr;
    return std::make_unique<OpenedPdf>(found->second, pagesRead);
}

std::optional<std::string> SimDocuments::text(const std::string& path, const std::string& kind, std::size_t) {
    opened.push_back(path);
    auto found = texts.find(path);
    if (found == texts.end()) return std::nullopt;
    auto asKind = found->second.find(kind);
    if (asKind == found->second.end()) return std::nullopt;
    return asKind->second;
}

}  // namespace nimbo::sim
