#pragma once
// Documents written for the readers' tests and benchmark: PDFs drawn with
// cairo, Word and OpenDocument files zipped with libarchive.
#include <string>
#include <utility>
#include <vector>

namespace nimbo::testing {

// The line a made document shows on `page` (1-based) at `line` (1-based).
std::string madeLine(int page, int line);

// A PDF of `pages` pages of `lines` lines each.
void writePdf(const std::string& path, int pages, int lines = 40);
// A zip archive of named parts.
void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& parts);
// A Word document whose body is `body` (the XML inside w:body).
void writeDocx(const std::string& path, const std::string& body);
// A Word document of `pages` pages of `lines` one-line paragraphs.
void writeLongDocx(const std::string& path, int pages, int lines = 40);
// An OpenDocument text whose body is `body` (the XML inside office:text).
void writeOdt(const std::string& path, const std::string& body);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace nimbo::testing
