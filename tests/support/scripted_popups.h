// A popup presenter for tests: records every popup and answers from a script.
#pragma once

#include "panel/api/popups.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct ShownPopup {
    std::string kind; // "message", "confirm", "open file" or "save file"
    std::string title;
    std::string text; // for a file: the filter, after the suggested name when saving
};

class ScriptedPopups : public ui::PopupPresenter {
public:
    std::vector<ShownPopup> shown;
    // Answers for confirmations, in order; "no" (2) once they run out.
    std::deque<int> confirmAnswers;
    // Paths the operator chooses in file dialogs, in order; none ("") once
    // they run out.
    std::deque<std::string> fileAnswers;
    // Runs while a popup is open, as the operator or the timer might.
    std::function<void(const ShownPopup &)> whileOpen;
    // Popups closed by the program rather than answered (closeOpen while open):
    // a confirmation closed so answers 0.
    int closedByProgram = 0;

    void message(const std::string &title, const std::string &text) override;
    int confirm(const std::string &title, const std::string &text) override;
    std::string openFile(const std::string &title, const std::string &filter) override;
    std::string saveFile(const std::string &title, const std::string &suggestedName, const std::string &filter) override;
    void closeOpen() override;

    std::vector<ShownPopup> withTitle(const std::string &title) const;
    // Every popup shown as "kind title: text", e.g. "message ERROR KORDA: <ERROR ...".
    std::vector<std::string> lines() const;

private:
    // Shows a popup of `kind` and waits as the operator would; false when the
    // program closed it meanwhile.
    bool answered(const std::string &kind, const std::string &title, const std::string &text);
    std::string fileAnswer(const std::string &kind, const std::string &title, const std::string &text);

    int open_ = 0;
    bool closeRequested_ = false;
};
