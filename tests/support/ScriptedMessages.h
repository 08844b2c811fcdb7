// A message presenter for tests: answers from a script and keeps every message.
// Installed for the lifetime of the object; an empty script answers with the
// default button.
#pragma once

#include "core/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    WindowHandle owner;
    std::u16string text;
    std::u16string caption;
    unsigned flags;
    int answer;
};

class ScriptedMessages : public MessagePresenter {
public:
    ScriptedMessages();
    ~ScriptedMessages() override;

    // Queues answers in the order the messages will come.
    void Answer(int id) { answers_.push_back(id); }
    void Answer(std::initializer_list<int> ids) { answers_.insert(answers_.end(), ids); }

    int Show(WindowHandle owner, std::u16string_view text, std::u16string_view caption, unsigned flags) override;

    const std::vector<ShownMessage>& shown() const { return shown_; }
    size_t count() const { return shown_.size(); }
    const ShownMessage& last() const { return shown_.back(); }
    size_t pendingAnswers() const { return answers_.size(); }
    void Clear() { shown_.clear(), answers_.clear(); }

private:
    MessagePresenter* previous_;
    std::deque<int> answers_;
    std::vector<ShownMessage> shown_;
};
