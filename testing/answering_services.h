// Platform services for tests that answer the program's questions from a script and record
// them: the answers are taken in turn, Cancel once they run out; messages are recorded. Installed
// while it lives.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/services.h"

namespace testservices {

class AnsweringServices : public platform::Services {
public:
    AnsweringServices() { platform::Install(this); }
    ~AnsweringServices() override { platform::Install(nullptr); }
    int AskQuestion(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) return platform::mrCancel;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::deque<int> answers;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
};

}  // namespace testservices
