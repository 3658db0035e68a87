#include "platform/linux/atspi/PageText.h"

namespace nimbo::atspi {
namespace {

// U+FFFC OBJECT REPLACEMENT CHARACTER in UTF-8.
constexpr std::string_view kPlaceholder = "\xEF\xBF\xBC";

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t\n\r\f\v") == std::string_view::npos;
}

}  // namespace

std::vector<PagePiece> pagePieces(const std::string& text, std::size_t children) {
    std::vector<PagePiece> out;
    std::size_t next = 0;
    std::size_t from = 0;
    auto run = [&](std::size_t end) {
        std::string_view piece(text.data() + from, end - from);
        if (!blank(piece)) out.push_back({std::string(piece), 0});
    };
    for (auto at = text.find(kPlaceholder); at != std::string::npos; at = text.find(kPlaceholder, from)) {
        run(at);
        from = at + kPlaceholder.size();
        // A placeholder with no child left for it stands for nothing that can be read.
        if (next < children) out.push_back({std::nullopt, next++});
    }
    run(text.size());
    while (next < children) out.push_back({std::nullopt, next++});
    return out;
}

}  // namespace nimbo::atspi
