#include "support/scripted_popups.h"

bool ScriptedPopups::answered(const std::string &kind, const std::string &title, const std::string &text)
{
    shown.push_back({kind, title, text});
    ++open_;
    if (whileOpen)
        whileOpen(shown.back());
    --open_;
    const bool closed = closeRequested_;
    closeRequested_ = false;
    return !closed;
}

void ScriptedPopups::message(const std::string &title, const std::string &text) { answered("message", title, text); }

int ScriptedPopups::confirm(const std::string &title, const std::string &text)
{
    if (!answered("confirm", title, text))
        return 0;
    if (confirmAnswers.empty())
        return 2;
    const int answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

std::string ScriptedPopups::fileAnswer(const std::string &kind, const std::string &title, const std::string &text)
{
    if (!answered(kind, title, text) || fileAnswers.empty())
        return {};
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::string ScriptedPopups::openFile(const std::string &title, const std::string &filter)
{
    return fileAnswer("open file", title, filter);
}

std::string ScriptedPopups::saveFile(const std::string &title, const std::string &suggestedName,
                                     const std::string &filter)
{
    return fileAnswer("save file", title, suggestedName + " " + filter);
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
