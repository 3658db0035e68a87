// A viewer of one file, as picture and video viewers are: the window's title
// shows the file's name and the file stays open while it is shown.
//
//   nimbo-test-file-viewer FILE [--title TITLE] [--also FILE] [--closed] [--states ADDRESS]
//
// --title replaces the title ("NAME — Viewer" by default); --also holds
// another file open as well, one the title does not name; --closed reads the
// file and closes it, as viewers that load a whole picture at once do;
// --states shows the file in a document frame whose Document interface
// states ADDRESS as its "DocURL". Prints "ready" once the window is on screen.
#include <fcntl.h>
#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* stated = nullptr;

// A drawing area whose accessible is a document frame stating an address.
struct StatingAccessible {
    GtkWidgetAccessible parent;
};
struct StatingAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

AtkAttributeSet* documentAttributes(AtkDocument*) {
    // A fresh set each time: the caller frees it.
    auto* attribute = static_cast<AtkAttribute*>(g_malloc(sizeof(AtkAttribute)));
    attribute->name = g_strdup("DocURL");
    attribute->value = g_strdup(stated);
    return g_slist_append(nullptr, attribute);
}

void stateDocument(AtkDocumentIface* iface) {
    iface->get_document_attributes = documentAttributes;
}

G_DEFINE_TYPE_WITH_CODE(StatingAccessible, stating_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_DOCUMENT, stateDocument))

void stating_accessible_initialize(AtkObject* object, gpointer data) {
    ATK_OBJECT_CLASS(stating_accessible_parent_class)->initialize(object, data);
    atk_object_set_role(object, ATK_ROLE_DOCUMENT_FRAME);
}

void stating_accessible_class_init(StatingAccessibleClass* type) {
    ATK_OBJECT_CLASS(type)->initialize = stating_accessible_initialize;
}

void stating_accessible_init(StatingAccessible*) {}

struct StatingArea {
    GtkDrawingArea parent;
};
struct StatingAreaClass {
    GtkDrawingAreaClass parent_class;
};

G_DEFINE_TYPE(StatingArea, stating_area, GTK_TYPE_DRAWING_AREA)

void stating_area_class_init(StatingAreaClass* type) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(type), stating_accessible_get_type());
}

void stating_area_init(StatingArea*) {}

gboolean announce(GtkWidget*, GdkEvent*, gpointer) {
    std::printf("ready\n");
    std::fflush(stdout);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    if (argc < 2) return 2;
    const std::string file = argv[1];
    const std::string name = file.substr(file.rfind('/') + 1);
    std::string title = name + " — Viewer";
    const char* also = nullptr;
    bool closed = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--closed") == 0) closed = true;
        if (i + 1 >= argc) continue;
        if (std::strcmp(argv[i], "--title") == 0) title = argv[i + 1];
        if (std::strcmp(argv[i], "--also") == 0) also = argv[i + 1];
        if (std::strcmp(argv[i], "--states") == 0) stated = argv[i + 1];
    }
    const int shown = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (shown < 0) return 3;
    if (closed) close(shown);
    if (also && open(also, O_RDONLY | O_CLOEXEC) < 0) return 3;

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), title.c_str());
    gtk_window_set_default_size(GTK_WINDOW(window), 320, 240);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(announce), nullptr);
    GtkWidget* view = stated ? GTK_WIDGET(g_object_new(stating_area_get_type(), nullptr)) : gtk_label_new(name.c_str());
    gtk_container_add(GTK_CONTAINER(window), view);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
