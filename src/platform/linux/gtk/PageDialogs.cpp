#include "platform/linux/gtk/PageDialogs.h"

namespace nimbo::x11 {
namespace {

// Runs `answer` with the dialog's response once, then destroys the dialog.
void onResponse(GtkDialog* dialog, std::function<void(int)> answer) {
    auto* held = new std::function<void(int)>(std::move(answer));
    g_signal_connect_data(
        dialog, "response", G_CALLBACK(+[](GtkDialog* self, gint response, gpointer data) {
            auto& call = *static_cast<std::function<void(int)>*>(data);
            const auto once = std::move(call);
            call = nullptr;
            // The answer reads the dialog (the chosen files) before it goes.
            g_object_ref(self);
            if (once) once(response);
            gtk_widget_destroy(GTK_WIDGET(self));
            g_object_unref(self);
        }),
        held, [](gpointer data, GClosure*) { delete static_cast<std::function<void(int)>*>(data); }, G_CONNECT_DEFAULT);
    gtk_widget_show(GTK_WIDGET(dialog));
}

GtkWidget* messageDialog(GtkWindow* parent, const std::string& message, GtkButtonsType buttons) {
    GtkWidget* dialog =
        gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                               GTK_MESSAGE_OTHER, buttons, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "");
    return dialog;
}

}  // namespace

void runAlert(GtkWindow* parent, const std::string& message, std::function<void()> done) {
    GtkWidget* dialog = messageDialog(parent, message, GTK_BUTTONS_OK);
    onResponse(GTK_DIALOG(dialog), [done = std::move(done)](int) {
        if (done) done();
    });
}

void runConfirm(GtkWindow* parent, const std::string& message, std::function<void(bool)> done) {
    GtkWidget* dialog = messageDialog(parent, message, GTK_BUTTONS_OK_CANCEL);
    onResponse(GTK_DIALOG(dialog), [done = std::move(done)](int response) {
        if (done) done(response == GTK_RESPONSE_OK);
    });
}

void runOpenPanel(GtkWindow* parent, bool multiple, bool directories,
                  std::function<void(std::vector<std::string>)> done) {
    // GTK's chooser picks either files or folders; "open" with folders
    // allowed is the select-folder action, which still lists files.
    const GtkFileChooserAction action =
        directories ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER : GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(nullptr, parent, action, "_Cancel", GTK_RESPONSE_CANCEL, "_Open",
                                                    GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(dialog), multiple);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    onResponse(GTK_DIALOG(dialog), [chooser, done = std::move(done)](int response) {
        std::vector<std::string> paths;
        if (response == GTK_RESPONSE_ACCEPT) {
            GSList* chosen = gtk_file_chooser_get_filenames(chooser);
            for (GSList* at = chosen; at; at = at->next) paths.emplace_back(static_cast<const char*>(at->data));
            g_slist_free_full(chosen, g_free);
        }
        if (done) done(std::move(paths));
    });
}

}  // namespace nimbo::x11
