#pragma once
// One reader per kind of document, each giving UTF-8 text or nothing at any
// failure; each may stop once it holds more than `enough` code points, and
// none reads more of a file than a bound of its own.
#include <cstddef>
#include <optional>
#include <string>

namespace nimbo::documents {

// Word's Office Open XML (word/document.xml) and OpenDocument text (content.xml).
std::optional<std::string> docxText(const std::string& path, std::size_t enough);
std::optional<std::string> odtText(const std::string& path, std::size_t enough);
// HTML without its scripts and styles, block elements on lines of their own.
std::optional<std::string> htmlText(const std::string& path, std::size_t enough);
// Rich Text Format; an RTFD bundle is a folder holding TXT.rtf.
std::optional<std::string> rtfText(const std::string& path, std::size_t enough);
// Plain text in UTF-8 or UTF-16 (with a byte order mark, or told by its NULs),
// else Windows-1252; nothing for a file that is not text.
std::optional<std::string> plainText(const std::string& path, std::size_t enough);

// The first `most` bytes of a file (a regular file only); nothing when it can't be read.
std::optional<std::string> fileStart(const std::string& path, std::size_t most);

}  // namespace nimbo::documents
