#pragma once
// The desktop's general clipboard. Main thread only.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nimbo::platform {

// One item on the clipboard: its data under each type it offers, bytes as they are.
struct PasteboardItem {
    std::vector<std::pair<std::string, std::string>> data;
    bool operator==(const PasteboardItem&) const = default;
};

class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // Every item with the data of each of its types; types whose data can't be
    // read are left out.
    virtual std::vector<PasteboardItem> items() = 0;
    // The plain text on it; absent when there is none.
    virtual std::optional<std::string> string() = 0;
    virtual void clearContents() = 0;
    // Puts plain text on it; false when the clipboard could not be taken.
    virtual bool setString(const std::string& text) = 0;
    // Puts these items back; false when the clipboard could not be taken.
    virtual bool writeItems(const std::vector<PasteboardItem>& items) = 0;
    // Grows with every change of the clipboard's contents, by anyone.
    virtual long changeCount() = 0;
};

}  // namespace nimbo::platform
