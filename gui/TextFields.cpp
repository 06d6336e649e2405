#include "TextFields.h"

#include <gtk/gtk.h>
#include <wx/textctrl.h>

namespace {

// What a limited field keeps beside its entry or text buffer.
struct Limit {
    explicit Limit(size_t chars) : maxChars(chars) {}
    size_t maxChars;
    bool userAction = false;  // a text buffer: an edit of the clerk is under way
    bool dropping = false;    // an entry: a drop is under way
    bool inserting = false;   // the part that fits is going in
};

const char kLimitKey[] = "quillan-text-limit";

// The bytes of `text` that fit beside `have` characters, or -1 when all do.
gssize FittingBytes(const Limit& limit, glong have, const gchar* text, gint length)
{
    const glong room = glong(limit.maxChars) > have ? glong(limit.maxChars) - have : 0;
    if (g_utf8_strlen(text, length) <= room)
        return -1;
    return g_utf8_offset_to_pointer(text, room) - text;
}

// An entry takes what the clerk types, pastes or drops while it has the focus
// (typing and pasting need it), or by a drop. Text the program puts in goes
// in whole.
void OnEntryInsert(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer data)
{
    Limit& limit = *static_cast<Limit*>(data);
    if (limit.inserting || !(gtk_widget_has_focus(GTK_WIDGET(editable)) || limit.dropping))
        return;
    const gssize fits = FittingBytes(limit, gtk_entry_get_text_length(GTK_ENTRY(editable)), text, length);
    if (fits < 0)
        return;
    g_signal_stop_emission_by_name(editable, "insert-text");
    limit.inserting = true;
    gtk_editable_insert_text(editable, text, gint(fits), position);
    limit.inserting = false;
}

void OnDropStarts(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData*, guint, guint, gpointer data)
{
    static_cast<Limit*>(data)->dropping = true;
}

void OnDropEnds(GtkWidget*, GdkDragContext*, gint, gint, GtkSelectionData*, guint, guint, gpointer data)
{
    static_cast<Limit*>(data)->dropping = false;
}

// A multi-line field's buffer knows the clerk's edits: typing, pasting and
// dropping each run as one user action.
void OnBufferInsert(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length, gpointer data)
{
    Limit& limit = *static_cast<Limit*>(data);
    if (limit.inserting || !limit.userAction)
        return;
    const gssize fits = FittingBytes(limit, gtk_text_buffer_get_char_count(buffer), text, length);
    if (fits < 0)
        return;
    g_signal_stop_emission_by_name(buffer, "insert-text");
    limit.inserting = true;
    gtk_text_buffer_insert(buffer, location, text, gint(fits));
    limit.inserting = false;
}

void OnUserActionStarts(GtkTextBuffer*, gpointer data)
{
    static_cast<Limit*>(data)->userAction = true;
}

void OnUserActionEnds(GtkTextBuffer*, gpointer data)
{
    static_cast<Limit*>(data)->userAction = false;
}

// The limit kept with `object`, made when it has none yet; the second of two
// calls only changes the number.
Limit* LimitOf(GObject* object, size_t maxChars, bool& made)
{
    auto* limit = static_cast<Limit*>(g_object_get_data(object, kLimitKey));
    made = limit == nullptr;
    if (made) {
        limit = new Limit(maxChars);
        g_object_set_data_full(object, kLimitKey, limit, [](gpointer p) { delete static_cast<Limit*>(p); });
    }
    limit->maxChars = maxChars;
    return limit;
}

void LimitEntry(GtkEntry* entry, size_t maxChars)
{
    bool made = false;
    Limit* limit = LimitOf(G_OBJECT(entry), maxChars, made);
    if (!made)
        return;
    g_signal_connect(entry, "insert-text", G_CALLBACK(OnEntryInsert), limit);
    g_signal_connect(entry, "drag-data-received", G_CALLBACK(OnDropStarts), limit);
    g_signal_connect_after(entry, "drag-data-received", G_CALLBACK(OnDropEnds), limit);
}

void LimitBuffer(GtkTextBuffer* buffer, size_t maxChars)
{
    bool made = false;
    Limit* limit = LimitOf(G_OBJECT(buffer), maxChars, made);
    if (!made)
        return;
    g_signal_connect(buffer, "insert-text", G_CALLBACK(OnBufferInsert), limit);
    g_signal_connect(buffer, "begin-user-action", G_CALLBACK(OnUserActionStarts), limit);
    g_signal_connect(buffer, "end-user-action", G_CALLBACK(OnUserActionEnds), limit);
}

// Draws the entry's placeholder text where the toolkit leaves it out: while
// the empty entry has the focus.
gboolean DrawHintWhileFocused(GtkWidget* widget, cairo_t* cr, gpointer)
{
    GtkEntry* entry = GTK_ENTRY(widget);
    const gchar* hint = gtk_entry_get_placeholder_text(entry);
    if (!gtk_widget_has_focus(widget) || gtk_entry_get_text_length(entry) > 0 || !hint || !*hint)
        return FALSE;
    gint x = 0, y = 0;
    gtk_entry_get_layout_offsets(entry, &x, &y);
    GdkRGBA colour;
    gtk_style_context_get_color(gtk_widget_get_style_context(widget), gtk_widget_get_state_flags(widget), &colour);
    colour.alpha *= 0.5;  // greyed, as the toolkit draws the hint
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, hint);
    cairo_save(cr);
    gdk_cairo_set_source_rgba(cr, &colour);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
    return FALSE;
}

}  // namespace

void LimitText(wxWindow* field, size_t maxChars)
{
    // An edit is an entry; an editable combo box holds one, a multi-line edit
    // a text view in a scrolled window.
    GtkWidget* widget = field->GetHandle();
    GtkWidget* inner = GTK_IS_BIN(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (GTK_IS_ENTRY(widget))
        LimitEntry(GTK_ENTRY(widget), maxChars);
    else if (GTK_IS_ENTRY(inner))
        LimitEntry(GTK_ENTRY(inner), maxChars);
    else if (GTK_IS_TEXT_VIEW(inner))
        LimitBuffer(gtk_text_view_get_buffer(GTK_TEXT_VIEW(inner)), maxChars);
}

void KeepHintWhileFocused(wxTextCtrl* field)
{
    GtkWidget* widget = field->GetHandle();
    if (GTK_IS_ENTRY(widget))
        g_signal_connect_after(widget, "draw", G_CALLBACK(DrawHintWhileFocused), nullptr);
}
