#include "CMessageBox.h"

#include <wx/app.h>
#include <wx/generic/msgdlgg.h>
#include <wx/modalhook.h>
#include <wx/settings.h>
#include <wx/sizer.h>

namespace {

// What a window manager's title bar takes beside its text: the buttons and the margins.
constexpr int kTitleBarExtra = 160;

// The toolkit's own message box would size itself by its text alone, and on
// GTK 3 it shows no icon: this one is laid out by wx.
class MessageBoxWindow : public wxGenericMessageDialog
{
public:
    using wxGenericMessageDialog::wxGenericMessageDialog;

    void Build() { DoCreateMsgdialog(); }

protected:
    void AddMessageDialogDetails(wxSizer* sizer) override { sizer->Add(CaptionWidth(GetTitle()), 0); }
};

}  // namespace

int CaptionWidth(const wxString& caption)
{
    const wxFont title = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold().Scaled(1.2f);
    int width = 0, height = 0;
    wxWindow* any = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (any)
        any->GetTextExtent(caption, &width, &height, nullptr, nullptr, &title);
    else
        width = int(caption.length()) * title.GetPixelSize().y;
    return width + kTitleBarExtra;
}

CMessageBox::CMessageBox(wxWindow* parent, const wxString& text, const wxString& caption, long style)
    : wxMessageDialog(parent, text, caption, style)
{
}

int CMessageBox::ShowModal()
{
    // Whoever answers in the clerk's place answers this box.
    WX_HOOK_MODAL_DIALOG();
    MessageBoxWindow window(GetParent(), GetMessage(), GetTitle(), GetMessageDialogStyle());
    return window.ShowModal();
}

std::unique_ptr<wxDialog> BuildMessageBoxWindow(wxWindow* parent, const wxString& text, const wxString& caption,
                                                long style)
{
    auto window = std::make_unique<MessageBoxWindow>(parent, text, caption, style);
    window->Build();
    return window;
}
