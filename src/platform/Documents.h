#pragma once
// Documents on disk opened for their text: a PDF page by page, every other
// kind whole. How pages are marked and where reading stops is the core's.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace nimbo::platform {

// An opened PDF. Reads may be slow: call off the main thread.
class PdfDocument {
public:
    virtual ~PdfDocument() = default;
    virtual int pageCount() = 0;
    // The text of the page at a 0-based index; absent when it can't be read.
    virtual std::optional<std::string> pageText(int index) = 0;
};

class Documents {
public:
    virtual ~Documents() = default;
    // The PDF at an absolute path; null when it can't be opened (missing,
    // damaged, locked by a password).
    virtual std::unique_ptr<PdfDocument> openPdf(const std::string& path) = 0;
    // The plain text, as UTF-8, of the document at an absolute path read as
    // `kind`, a lower-cased file extension ("docx", "doc", "rtf", "rtfd",
    // "odt", "html", "htm", "txt", "md", "markdown", "text"); absent on any
    // failure or for any other kind. A reader may stop once it holds more
    // than `enough` characters, so a huge file costs no more than that.
    virtual std::optional<std::string> text(const std::string& path, const std::string& kind, std::size_t enough) = 0;
};

}  // namespace nimbo::platform
