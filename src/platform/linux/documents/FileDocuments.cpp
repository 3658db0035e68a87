#include "platform/linux/documents/FileDocuments.h"

#include "platform/linux/documents/PopplerPdf.h"
#include "platform/linux/documents/Readers.h"

namespace nimbo::documents {

std::unique_ptr<platform::PdfDocument> FileDocuments::openPdf(const std::string& path) {
    return documents::openPdf(path);
}

std::optional<std::string> FileDocuments::text(const std::string& path, const std::string& kind, std::size_t enough) {
    if (kind == "docx") return docxText(path, enough);
    if (kind == "odt") return odtText(path, enough);
    if (kind == "html" || kind == "htm") return htmlText(path, enough);
    if (kind == "rtf" || kind == "rtfd") return rtfText(path, enough);
    if (kind == "txt" || kind == "md" || kind == "markdown" || kind == "text") return plainText(path, enough);
    // "doc", Word 97's binary format: not available.
    return std::nullopt;
}

}  // namespace nimbo::documents
