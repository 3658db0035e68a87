#pragma once
// The panel's side of the tray on the test's session bus: a
// StatusNotifierWatcher that items register with, and what a panel does with
// an item's D-Bus menu (read its layout, click an entry).
#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::test {

class TestPanel {
public:
    struct Item {
        std::string bus;   // the unique name that registered it
        std::string path;  // its object path
    };
    struct Entry {
        int id = 0;
        std::string label;  // empty for a separator
        bool enabled = true;
        int toggleState = -1;  // 1 on, 0 off, -1 not a toggle
        int depth = 0;         // 0 for the top menu, 1 inside a submenu
    };

    TestPanel();
    ~TestPanel();
    TestPanel(const TestPanel&) = delete;
    TestPanel& operator=(const TestPanel&) = delete;

    const std::vector<Item>& items() const { return items_; }
    // The item's menu in order, read as a panel reads it; absent when it can't be read.
    std::optional<std::vector<Entry>> menu(const Item& item);
    // The first entry with this label.
    static std::optional<Entry> find(const std::vector<Entry>& menu, const std::string& label);
    // Sends the "clicked" event for an entry, as a panel does when the user picks it.
    bool click(const Item& item, int id);

private:
    std::optional<std::string> menuPath(const Item& item);
    GVariant* call(const std::string& bus, const std::string& path, const char* interface, const char* method,
                   GVariant* parameters, const GVariantType* reply);

    x11::GObjectPtr<GDBusConnection> bus_;
    guint registration_ = 0;
    std::vector<Item> items_;
};

}  // namespace nimbo::test
