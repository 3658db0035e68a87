#pragma once
// A web page's text as browsers give it: a paragraph, heading, item, cell or
// link holds its own text, with U+FFFC where each element inside it (a link,
// an image, a nested block) sits, in the order of its children. Other
// platforms show the same page as static-text leaves between those elements;
// this splits the text into the leaves that stand for it.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace nimbo::atspi {

// One child in page order: a run of the element's own text, or its child at `child`.
struct PagePiece {
    std::optional<std::string> text;
    std::size_t child = 0;
};

// The element's children interleaved with the runs of its text between them;
// runs of nothing but white space are left out. Children the text has no
// place for follow at the end.
std::vector<PagePiece> pagePieces(const std::string& text, std::size_t children);

}  // namespace nimbo::atspi
