#include "support/scripted_popups.h"

void ScriptedPopups::message(const std::string &title, const std::string &text)
{
    shown.push_back({"message", title, text});
    if (whileOpen)
        whileOpen(shown.back());
}

int ScriptedPopups::confirm(const std::string &title, const std::string &text)
{
    shown.push_back({"confirm", title, text});
    if (whileOpen)
        whileOpen(shown.back());
    if (confirmAnswers.empty())
        return 2;
    const int answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

std::vector<ShownPopup> ScriptedPopups::withTitle(const std::string &title) const
{
    std::vector<ShownPopup> found;
    for (const ShownPopup &p : shown)
        if (p.title == title)
            found.push_back(p);
    return found;
}
