// Message boxes: the one way the logic layer speaks to the user. The GUI installs a
// presenter that shows a modal QMessageBox; tests install a scripted recorder. The
// flag and answer values are those of the handheld's message box call.
#pragma once

#include <string>
#include <string_view>

// An owner window as the logic layer sees it: opaque, a QWidget* in the GUI.
using WindowHandle = void*;

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_TYPEMASK = 0xF;

inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;

inline constexpr unsigned MB_APPLMODAL = 0x0;
inline constexpr unsigned MB_SETFOREGROUND = 0x10000;
inline constexpr unsigned MB_TOPMOST = 0x40000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows the message modally and returns the answer (IDOK, IDCANCEL, IDYES, IDNO, ...).
    virtual int Show(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                     unsigned flags) = 0;
};

// Installs the presenter used by ShowMessage (nullptr restores the default, which
// writes the message to standard error and answers with the default button).
void SetMessagePresenter(MessagePresenter* presenter);
MessagePresenter* CurrentMessagePresenter();

int ShowMessage(WindowHandle owner, std::u16string_view text, std::u16string_view caption, unsigned flags);

// The answer a box with these flags gives when the user takes the default button.
int DefaultMessageAnswer(unsigned flags);
