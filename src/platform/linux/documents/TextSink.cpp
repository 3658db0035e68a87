#include "platform/linux/documents/TextSink.h"

namespace nimbo::documents {

void TextSink::add(std::string_view text) {
    text_ += text;
    for (char c : text) {
        // Every byte but a continuation byte starts a code point.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count_;
    }
}

void TextSink::breakLine() {
    if (!text_.empty() && text_.back() != '\n') add("\n");
}

}  // namespace nimbo::documents
