// Word and OpenDocument files are zip archives whose text is one XML part:
// the part is streamed out of the archive into libxml2's reader, so neither
// the archive nor the part is ever held whole.
#include <archive.h>
#include <archive_entry.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/linux/documents/Readers.h"
#include "platform/linux/documents/RegularFile.h"
#include "platform/linux/documents/TextSink.h"

namespace nimbo::documents {
namespace {

// A part larger than this once inflated is not read further (a zip bomb reads as its start).
constexpr la_int64_t kLongestPart = 64LL << 20;
// Runs of spaces a document asks for, at most.
constexpr int kLongestSpaceRun = 100;

struct PartStream {
    archive* zip = nullptr;
    la_int64_t read = 0;
    bool failed = false;
    bool capped = false;
};

int readPart(void* context, char* buffer, int length) {
    auto* stream = static_cast<PartStream*>(context);
    if (stream->read >= kLongestPart) {
        stream->capped = true;
        return 0;
    }
    la_ssize_t got = archive_read_data(stream->zip, buffer, static_cast<size_t>(length));
    if (got < 0) {
        stream->failed = true;
        return -1;
    }
    stream->read += got;
    return static_cast<int>(got);
}

enum class Step { go, skip };

// What one XML node means for the text: `element` is called for starts and
// ends of elements (`closing`), `text` for character data.
struct XmlRules {
    std::function<Step(xmlTextReaderPtr reader, std::string_view name, bool closing, TextSink& sink)> element;
    std::function<bool(std::string_view name)> holdsText;
};

std::optional<std::string> zippedXmlText(const std::string& path, const char* part, const char* ns,
                                         const XmlRules& rules, std::size_t enough) {
    if (!regularFile(path)) return std::nullopt;
    std::unique_ptr<archive, decltype(&archive_read_free)> zip(archive_read_new(), archive_read_free);
    archive_read_support_format_zip(zip.get());
    if (archive_read_open_filename(zip.get(), path.c_str(), 1 << 16) != ARCHIVE_OK) return std::nullopt;
    archive_entry* entry = nullptr;
    bool found = false;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(zip.get(), &entry)) == ARCHIVE_OK) {
        const char* name = archive_entry_pathname(entry);
        if (name && std::strcmp(name, part) == 0) {
            found = true;
            break;
        }
    }
    if (!found) return std::nullopt;

    PartStream stream{zip.get()};
    xmlTextReaderPtr reader = xmlReaderForIO(readPart, nullptr, &stream, part, nullptr,
                                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!reader) return std::nullopt;
    TextSink sink(enough);
    // Open elements that hold text, and that of a skipped part (deleted text, notes' marks).
    int inText = 0;
    int result = 0;
    // After a skip the reader already stands on the next node.
    bool standing = false;
    while (!sink.full()) {
        result = standing ? 1 : xmlTextReaderRead(reader);
        standing = false;
        if (result != 1) break;
        int type = xmlTextReaderNodeType(reader);
        if (type == XML_READER_TYPE_ELEMENT || type == XML_READER_TYPE_END_ELEMENT) {
            const auto* uri = reinterpret_cast<const char*>(xmlTextReaderConstNamespaceUri(reader));
            if (!uri || std::strcmp(uri, ns) != 0) continue;
            std::string_view name(reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader)));
            bool closing = type == XML_READER_TYPE_END_ELEMENT;
            bool empty = !closing && xmlTextReaderIsEmptyElement(reader) == 1;
            if (rules.holdsText(name) && !empty) inText += closing ? -1 : 1;
            Step step = rules.element(reader, name, closing, sink);
            if (step == Step::skip && !empty) {
                if (rules.holdsText(name)) --inText;
                if ((result = xmlTextReaderNext(reader)) != 1) break;
                standing = true;
                continue;
            }
            if (empty) rules.element(reader, name, true, sink);
        } else if (inText > 0 &&
                   (type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                    type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE || type == XML_READER_TYPE_WHITESPACE)) {
            if (const auto* value = xmlTextReaderConstValue(reader)) sink.add(reinterpret_cast<const char*>(value));
        }
    }
    xmlFreeTextReader(reader);
    // A damaged archive or part is no document, unless the reading had stopped on purpose.
    if (stream.failed || (result < 0 && !stream.capped && !sink.full())) return std::nullopt;
    return sink.take();
}

int spaceCount(xmlTextReaderPtr reader) {
    xmlChar* count =
        xmlTextReaderGetAttributeNs(reader, BAD_CAST "c", BAD_CAST "urn:oasis:names:tc:opendocument:xmlns:text:1.0");
    int spaces = 1;
    if (count) {
        spaces = std::clamp(std::atoi(reinterpret_cast<const char*>(count)), 0, kLongestSpaceRun);
        xmlFree(count);
    }
    return spaces;
}

}  // namespace

std::optional<std::string> docxText(const std::string& path, std::size_t enough) {
    XmlRules rules;
    // Only runs' text counts: deleted text and field codes live in elements of their own.
    rules.holdsText = [](std::string_view name) { return name == "t"; };
    rules.element = [](xmlTextReaderPtr, std::string_view name, bool closing, TextSink& sink) {
        if (closing && name == "p") sink.breakLine();
        if (!closing && name == "tab") sink.add("\t");
        if (!closing && (name == "br" || name == "cr")) sink.add("\n");
        return Step::go;
    };
    return zippedXmlText(path, "word/document.xml", "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
                         rules, enough);
}

std::optional<std::string> odtText(const std::string& path, std::size_t enough) {
    XmlRules rules;
    rules.holdsText = [](std::string_view name) { return name == "p" || name == "h"; };
    rules.element = [](xmlTextReaderPtr reader, std::string_view name, bool closing, TextSink& sink) {
        if (name == "tracked-changes" && !closing) return Step::skip;
        if (closing && (name == "p" || name == "h")) sink.breakLine();
        if (!closing && name == "s") sink.add(std::string(static_cast<size_t>(spaceCount(reader)), ' '));
        if (!closing && name == "tab") sink.add("\t");
        if (!closing && name == "line-break") sink.add("\n");
        return Step::go;
    };
    return zippedXmlText(path, "content.xml", "urn:oasis:names:tc:opendocument:xmlns:text:1.0", rules, enough);
}

}  // namespace nimbo::documents
