// The message box hook and its console fallback.
#include "core/MessageBox.h"

#include "core/Utf.h"

#include <cstdio>

namespace {

MessagePresenter* g_presenter = nullptr;

int ButtonAt(unsigned type, int index) {
    static const int buttons[6][3] = {
        {IDOK, IDOK, IDOK},         {IDOK, IDCANCEL, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},    {IDYES, IDNO, IDNO},        {IDRETRY, IDCANCEL, IDCANCEL},
    };
    if (type > 5) type = 0;
    return buttons[type][index];
}

} // namespace

void SetMessagePresenter(MessagePresenter* presenter) { g_presenter = presenter; }

MessagePresenter* CurrentMessagePresenter() { return g_presenter; }

int DefaultMessageAnswer(unsigned flags) {
    int index = static_cast<int>((flags & MB_DEFMASK) >> 8);
    if (index > 2) index = 0;
    return ButtonAt(flags & MB_TYPEMASK, index);
}

int ShowMessage(WindowHandle owner, std::u16string_view text, std::u16string_view caption, unsigned flags) {
    if (g_presenter) return g_presenter->Show(owner, text, caption, flags);
    std::fprintf(stderr, "[%s] %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return DefaultMessageAnswer(flags);
}
