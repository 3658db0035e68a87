#pragma once
// The text a reader gives back, built piece by piece: counts the code points
// it holds so a reader can stop as soon as it has enough.
#include <cstddef>
#include <string>
#include <string_view>

namespace nimbo::documents {

class TextSink {
public:
    explicit TextSink(std::size_t enough) : enough_(enough) {}
    // Appends UTF-8 text.
    void add(std::string_view text);
    // Ends a paragraph: a line break unless the text already ends in one (or is empty).
    void breakLine();
    bool full() const { return count_ > enough_; }
    std::string take() { return std::move(text_); }
    const std::string& text() const { return text_; }

private:
    std::size_t enough_;
    std::size_t count_ = 0;
    std::string text_;
};

}  // namespace nimbo::documents
