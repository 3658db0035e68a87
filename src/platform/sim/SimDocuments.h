#pragma once
// Documents held in memory by path: PDFs as their pages' texts, every other
// kind as its text for the kind it is read as.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Documents.h"

namespace nimbo::sim {

struct SimPdf {
    // Absent entries are pages whose text can't be read.
    std::vector<std::optional<std::string>> pages;
};

class SimDocuments : public platform::Documents {
public:
    std::unique_ptr<platform::PdfDocument> openPdf(const std::string& path) override;
    std::optional<std::string> text(const std::string& path, const std::string& kind, std::size_t enough) override;

    std::map<std::string, SimPdf> pdfs;
    // Path, then the kind it is read as.
    std::map<std::string, std::map<std::string, std::string>> texts;
    // Paths opened or read so far, in order.
    std::vector<std::string> opened;
    // Pages read so far, over every PDF.
    int pagesRead = 0;
};

}  // namespace nimbo::sim
