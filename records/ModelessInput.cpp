#include "ModelessInput.h"

#include <dlfcn.h>
#include <wx/toplevel.h>

void AllowInputBesideModal(wxTopLevelWindow* window)
{
#ifdef __WXGTK__
    if (!window || !window->GetHandle())
        return;
    // The program is not built against GTK's headers; the three functions are
    // looked up in the GTK the toolkit already loaded.
    using NewGroup = void* (*)();
    using AddWindow = void (*)(void*, void*);
    using Unref = void (*)(void*);
    static const auto newGroup = reinterpret_cast<NewGroup>(dlsym(RTLD_DEFAULT, "gtk_window_group_new"));
    static const auto addWindow = reinterpret_cast<AddWindow>(dlsym(RTLD_DEFAULT, "gtk_window_group_add_window"));
    static const auto unref = reinterpret_cast<Unref>(dlsym(RTLD_DEFAULT, "g_object_unref"));
    if (!newGroup || !addWindow || !unref)
        return;
    // A grab holds only within its window group: in a group of its own the
    // window takes mouse and keys while the modal dialog stays modal to the rest.
    void* group = newGroup();
    addWindow(group, window->GetHandle());
    unref(group);  // the window keeps the group alive
#else
    (void)window;
#endif
}
