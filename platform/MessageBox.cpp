#include "MessageBox.h"

#include <cstdio>

namespace {
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

UiLanguageSource& LanguageSource()
{
    static UiLanguageSource source;
    return source;
}
}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

int AfxMessageBox(const CString& text, UINT style)
{
    return MessageBoxWithCaption(text, "Quillan2021", style);
}

int MessageBoxWithCaption(const CString& text, const CString& caption, UINT style)
{
    if (Handler())
        return Handler()(text, caption, style);
    // Without a window system nobody can answer, so report and take the affirmative choice.
    std::fprintf(stderr, "%s: %s\n", caption.utf8_str().data(), text.utf8_str().data());
    return (style & 0xF) == MB_YESNO ? IDYES : IDOK;
}

UiLanguageSource SetUiLanguageSource(UiLanguageSource source)
{
    UiLanguageSource previous = std::move(LanguageSource());
    LanguageSource() = std::move(source);
    return previous;
}

int UiLanguage()
{
    return LanguageSource() ? LanguageSource()() : 1;
}

CString UiText(const char* chinese, const char* english)
{
    return wxString::FromUTF8(UiLanguage() == 2 ? english : chinese);
}

CString WithSystemText(const CString& sentence, const CString& systemText)
{
    return systemText.empty() ? sentence : sentence + "\n\n" + systemText;
}
