#pragma once
// Documents on disk: PDF through Poppler, Word and OpenDocument through
// libarchive and libxml2, HTML through libxml2's HTML parser, RTF and plain
// text read here. Word 97's binary format is not read (no kept library reads it).
#include "platform/Documents.h"

namespace nimbo::documents {

class FileDocuments final : public platform::Documents {
public:
    std::unique_ptr<platform::PdfDocument> openPdf(const std::string& path) override;
    std::optional<std::string> text(const std::string& path, const std::string& kind, std::size_t enough) override;
};

}  // namespace nimbo::documents
