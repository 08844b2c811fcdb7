// Scripted message presenter.
#include "tests/support/ScriptedMessages.h"

ScriptedMessages::ScriptedMessages() : previous_(CurrentMessagePresenter()) { SetMessagePresenter(this); }

ScriptedMessages::~ScriptedMessages() { SetMessagePresenter(previous_); }

int ScriptedMessages::Show(WindowHandle owner, std::u16string_view text, std::u16string_view caption,
                           unsigned flags) {
    int answer = DefaultMessageAnswer(flags);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({owner, std::u16string(text), std::u16string(caption), flags, answer});
    return answer;
}
