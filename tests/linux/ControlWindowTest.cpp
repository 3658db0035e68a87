// The control center's window on a real X server: the page's dialogs as GTK
// dialogs the user answers, the main menu's accelerators, closing that asks
// the core first, and a drag started by the page's own title area.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include "Desktop.h"
#include "platform/linux/gtk/ControlWindows.h"

namespace nimbo::test {
namespace {

// Closed when the test ends, so no window of an earlier test lies over it.
std::shared_ptr<platform::ControlWindow> makeControl() {
    platform::ControlWindowOptions options;
    options.title = "nimbo";
    options.contentSize = {800, 560};
    options.minimumSize = {760, 520};
    auto made = desktop().controlWindows().make(options);
    return {made.get(), [made](platform::ControlWindow* window) { window->page().close(); }};
}

// The dialog GTK shows on top of `parent`, once it is on screen.
GtkDialog* dialogOver(platform::ControlWindow& control) {
    GtkWindow* parent = dynamic_cast<x11::WebPageWindow&>(control.page()).gtkWindow();
    GtkDialog* found = nullptr;
    waitUntil(
        [&] {
            GList* all = gtk_window_list_toplevels();
            for (GList* at = all; at; at = at->next) {
                auto* window = GTK_WINDOW(at->data);
                if (GTK_IS_DIALOG(window) && gtk_window_get_transient_for(window) == parent &&
                    gtk_widget_get_mapped(GTK_WIDGET(window)))
                    found = GTK_DIALOG(window);
            }
            g_list_free(all);
            return found != nullptr;
        },
        10.0);
    return found;
}

// Runs `body` in the page without waiting, answers the dialog it opens with
// `response`, and then waits for the script's answer.
platform::ScriptResult answerDialog(platform::ControlWindow& control, const std::string& body, int response,
                                    std::string* shown) {
    auto result = std::make_shared<std::optional<platform::ScriptResult>>();
    control.page().web().callAsync(body, Json::object(),
                                   [result](const platform::ScriptResult& answer) { *result = answer; });
    GtkDialog* dialog = dialogOver(control);
    if (!dialog) return {std::nullopt, std::string("no dialog")};
    if (GTK_IS_MESSAGE_DIALOG(dialog)) {
        gchar* text = nullptr;
        g_object_get(dialog, "text", &text, nullptr);
        *shown = text ? text : "";
        g_free(text);
    }
    gtk_dialog_response(dialog, response);
    waitUntil([&] { return result->has_value(); }, 10.0);
    return result->value_or(platform::ScriptResult{std::nullopt, std::string("no answer")});
}

TEST(ControlWindow, PageDialogsAreGtkDialogsTheUserAnswers) {
    auto control = makeControl();
    ASSERT_TRUE(control);
    platform::WebView::Events events;
    events.alert = [&](const std::string& message, std::function<void()> done) {
        control->runAlert(message, std::move(done));
    };
    events.confirm = [&](const std::string& message, std::function<void(bool)> done) {
        control->runConfirm(message, std::move(done));
    };
    control->page().web().loadHTML("<p>dialogs</p>");
    runFor(0.5);
    control->page().orderFront();
    control->page().web().setEvents(events);

    std::string shown;
    auto answer = answerDialog(*control, "return confirm('Forget the <b>key</b>?');", GTK_RESPONSE_OK, &shown);
    EXPECT_EQ(answer.value, Json(true)) << answer.error.value_or("");
    EXPECT_EQ(shown, "Forget the <b>key</b>?") << "shown as text, not markup";
    answer = answerDialog(*control, "return confirm('Again?');", GTK_RESPONSE_CANCEL, &shown);
    EXPECT_EQ(answer.value, Json(false));
    answer = answerDialog(*control, "alert('Saved'); return 'after';", GTK_RESPONSE_OK, &shown);
    EXPECT_EQ(answer.value, Json("after")) << "the page waits for the alert";
    EXPECT_EQ(shown, "Saved");
}

TEST(ControlWindow, CarriesTheMainMenuAndAsksBeforeClosing) {
    int settings = 0;
    platform::MenuItem app;
    platform::MenuItem item;
    item.title = "Settings…";
    item.key = ",";
    item.perform = [&] { ++settings; };
    app.submenu = {item};
    desktop().menuBar().install({app});
    auto control = makeControl();
    control->page().orderFront();
    GtkWindow* window = dynamic_cast<x11::WebPageWindow&>(control->page()).gtkWindow();
    ASSERT_TRUE(waitUntil([&] { return gtk_widget_get_mapped(GTK_WIDGET(window)); }));

    // Ctrl stands for Command.
    EXPECT_FALSE(gtk_accel_groups_activate(G_OBJECT(window), GDK_KEY_comma, GDK_MOD4_MASK));
    EXPECT_TRUE(gtk_accel_groups_activate(G_OBJECT(window), GDK_KEY_comma, GDK_CONTROL_MASK));
    ASSERT_TRUE(waitUntil([&] { return settings == 1; }, 5.0));

    int asked = 0;
    bool letClose = false;
    control->setShouldClose([&] {
        ++asked;
        return letClose;
    });
    gtk_window_close(window);  // as the window manager's close button does
    runFor(0.3);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(control->isVisible()) << "the core said no";
    letClose = true;
    gtk_window_close(window);
    ASSERT_TRUE(waitUntil([&] { return !control->isVisible(); }, 5.0));
    EXPECT_EQ(asked, 2);
}

TEST(ControlWindow, ThePagesTitleAreaDragsTheWindowWhileTheButtonIsHeld) {
    auto control = makeControl();
    control->page().web().loadHTML("<body style='margin:0;height:100vh'></body>");
    control->page().orderFront();
    auto& page = dynamic_cast<x11::WebPageWindow&>(control->page());
    ASSERT_TRUE(waitUntil([&] { return gtk_widget_get_mapped(GTK_WIDGET(page.gtkWindow())); }));
    runFor(0.5);
    const GdkRectangle before = serverGeometry(static_cast<unsigned long>(page.windowNumber()));
    Display* display = xDisplay();
    EXPECT_EQ(control->currentMouseEvent(), platform::MouseEventKind::none);

    XTestFakeMotionEvent(display, -1, before.x + 100, before.y + 60, CurrentTime);  // below any menu bar
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    ASSERT_TRUE(waitUntil([&] { return control->currentMouseEvent() == platform::MouseEventKind::leftMouseDown; }));
    EXPECT_TRUE(control->leftMouseButtonPressed());
    control->performDrag();
    runFor(0.2);
    XTestFakeMotionEvent(display, -1, before.x + 250, before.y + 160, CurrentTime);
    XFlush(display);
    runFor(0.3);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    const bool moved = waitUntil(
        [&] {
            const GdkRectangle now = serverGeometry(static_cast<unsigned long>(page.windowNumber()));
            return now.x == before.x + 150 && now.y == before.y + 100;
        },
        5.0);
    const GdkRectangle after = serverGeometry(static_cast<unsigned long>(page.windowNumber()));
    EXPECT_TRUE(moved) << "from " << before.x << "," << before.y << " to " << after.x << "," << after.y;
    EXPECT_EQ(control->currentMouseEvent(), platform::MouseEventKind::none) << "the drag took the press";
}

}  // namespace
}  // namespace nimbo::test
