#include "platform/linux/gtk/MenuActions.h"

namespace nimbo::x11 {
namespace {

using Action = std::function<void()>;

void activate(GtkMenuItem*, gpointer data) {
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer pending) -> gboolean {
            (*static_cast<Action*>(pending))();
            return G_SOURCE_REMOVE;
        },
        new Action(*static_cast<Action*>(data)), [](gpointer pending) { delete static_cast<Action*>(pending); });
}

}  // namespace

void connectAction(GtkWidget* item, std::function<void()> action) {
    if (!action) return;
    g_signal_connect_data(
        item, "activate", G_CALLBACK(activate), new Action(std::move(action)),
        [](gpointer data, GClosure*) { delete static_cast<Action*>(data); }, G_CONNECT_DEFAULT);
}

}  // namespace nimbo::x11
