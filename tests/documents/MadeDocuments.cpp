#include "MadeDocuments.h"

#include <archive.h>
#include <archive_entry.h>
#include <cairo-pdf.h>

#include <fstream>
#include <stdexcept>

namespace nimbo::testing {

std::string madeLine(int page, int line) {
    return "Page " + std::to_string(page) + " line " + std::to_string(line) +
           ": the quick brown fox jumps over the lazy dog.";
}

void writePdf(const std::string& path, int pages, int lines) {
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), 595, 842);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    for (int page = 1; page <= pages; ++page) {
        for (int line = 1; line <= lines; ++line) {
            cairo_move_to(cr, 40, 40 + line * 18.0);
            cairo_show_text(cr, madeLine(page, line).c_str());
        }
        cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    auto status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo could not write " + path);
}

void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& parts) {
    archive* zip = archive_write_new();
    archive_write_set_format_zip(zip);
    if (archive_write_open_filename(zip, path.c_str()) != ARCHIVE_OK) throw std::runtime_error("can't write " + path);
    for (const auto& [name, content] : parts) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_write_header(zip, entry);
        archive_write_data(zip, content.data(), content.size());
        archive_entry_free(entry);
    }
    archive_write_close(zip);
    archive_write_free(zip);
}

void writeDocx(const std::string& path, const std::string& body) {
    writeZip(path,
             {{"[Content_Types].xml",
               R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
               R"(<Override PartName="/word/document.xml" ContentType="application/)"
               R"(vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>)"},
              {"word/document.xml",
               R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
               R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)" +
                   body + "</w:body></w:document>"}});
}

void writeLongDocx(const std::string& path, int pages, int lines) {
    std::string body;
    for (int page = 1; page <= pages; ++page) {
        for (int line = 1; line <= lines; ++line) {
            body += "<w:p><w:pPr><w:spacing w:after=\"0\"/></w:pPr><w:r><w:rPr><w:sz w:val=\"22\"/></w:rPr><w:t>" +
                    madeLine(page, line) + "</w:t></w:r></w:p>";
        }
        body += R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)";
    }
    writeDocx(path, body);
}

void writeOdt(const std::string& path, const std::string& body) {
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                    {"content.xml",
                     R"(<?xml version="1.0" encoding="UTF-8"?>)"
                     R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                     R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:text>)" +
                         body + "</office:text></office:body></office:document-content>"}});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

}  // namespace nimbo::testing
