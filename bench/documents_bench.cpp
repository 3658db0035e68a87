// One reading of a document, as the shell does it or of the whole document,
// for scripts/bench-documents to time against pdftotext and unzip | sed.
//   nimbo_documents_bench make DIR      writes DIR/long.pdf (300 pages) and DIR/long.docx (200 pages)
//   nimbo_documents_bench shell FILE    the page reader's reading: stops past 60000 characters
//   nimbo_documents_bench whole FILE    every page or paragraph, no stop
// Prints the number of bytes read.
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "MadeDocuments.h"
#include "platform/linux/documents/FileDocuments.h"
#include "platform/sim/SimPlatform.h"
#include "screen/Elements.h"
#include "screen/ReadPage.h"

namespace {

// The simulated desktop with the real document readers behind it, so the
// shell's own reading rule is what is timed.
class ReaderDesktop : public nimbo::sim::SimPlatform {
public:
    nimbo::platform::Documents& documents() override { return readers; }
    nimbo::documents::FileDocuments readers;
};

std::string wholeText(nimbo::documents::FileDocuments& readers, const std::string& path) {
    if (path.ends_with(".pdf")) {
        auto pdf = readers.openPdf(path);
        std::string text;
        if (!pdf) return text;
        for (int page = 0; page < pdf->pageCount(); ++page) text += pdf->pageText(page).value_or("");
        return text;
    }
    auto dot = path.find_last_of('.');
    return readers.text(path, path.substr(dot + 1), std::numeric_limits<std::size_t>::max() / 2).value_or("");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s make DIR | shell FILE | whole FILE\n", argv[0]);
        return 2;
    }
    std::string mode = argv[1];
    std::string path = argv[2];
    if (mode == "make") {
        nimbo::testing::writePdf(path + "/long.pdf", 300);
        nimbo::testing::writeLongDocx(path + "/long.docx", 200);
        return 0;
    }
    ReaderDesktop desktop;
    nimbo::Elements::attach(desktop);
    std::string text;
    if (mode == "shell") {
        text = nimbo::ReadPage::file("file://" + path).value_or("");
    } else {
        text = wholeText(desktop.readers, path);
    }
    nimbo::Elements::detach(desktop);
    std::printf("%zu\n", text.size());
    return text.empty() ? 1 : 0;
}
