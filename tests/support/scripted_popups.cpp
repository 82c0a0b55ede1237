#include "support/scripted_popups.h"

void ScriptedPopups::message(const std::string &title, const std::string &text)
{
    shown.push_back({"message", title, text});
    ++open_;
    if (whileOpen)
        whileOpen(shown.back());
    --open_;
    closeRequested_ = false;
}

int ScriptedPopups::confirm(const std::string &title, const std::string &text)
{
    shown.push_back({"confirm", title, text});
    ++open_;
    if (whileOpen)
        whileOpen(shown.back());
    --open_;
    if (closeRequested_) {
        closeRequested_ = false;
        return 0;
    }
    if (confirmAnswers.empty())
        return 2;
    const int answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

void ScriptedPopups::closeOpen()
{
    if (open_ == 0)
        return;
    ++closedByProgram;
    closeRequested_ = true;
}

std::vector<ShownPopup> ScriptedPopups::withTitle(const std::string &title) const
{
    std::vector<ShownPopup> found;
    for (const ShownPopup &p : shown)
        if (p.title == title)
            found.push_back(p);
    return found;
}

std::vector<std::string> ScriptedPopups::lines() const
{
    std::vector<std::string> texts;
    for (const ShownPopup &p : shown)
        texts.push_back(p.kind + " " + p.title + ": " + p.text);
    return texts;
}
