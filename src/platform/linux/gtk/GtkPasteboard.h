#pragma once
// The CLIPBOARD selection through GTK: every target read, every target offered back.
#include "platform/Pasteboard.h"

namespace nimbo::x11 {

class GtkPasteboard final : public platform::Pasteboard {
public:
    std::vector<platform::PasteboardItem> items() override;
    std::optional<std::string> string() override;
    void clearContents() override;
    bool setString(const std::string& text) override;
    bool writeItems(const std::vector<platform::PasteboardItem>& items) override;
    long changeCount() override;
};

}  // namespace nimbo::x11
