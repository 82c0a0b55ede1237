// The one seam every popup goes through. The program shows dialogs; tests
// install a presenter that answers from a script and records what was asked.
#pragma once

#include <string>

namespace ui {

class PopupPresenter {
public:
    virtual ~PopupPresenter() = default;
    // A message with one button; returns when the operator has closed it.
    virtual void message(const std::string &title, const std::string &text) = 0;
    // "yes" / "no": 1 for "yes", 2 for "no", 0 when closed any other way.
    virtual int confirm(const std::string &title, const std::string &text) = 0;
    // The operator picks a file to open, or one to save to with
    // `suggestedName` offered: its path, or empty for none. A presenter
    // without file dialogs offers none.
    virtual std::string openFile(const std::string & /*title*/, const std::string & /*filter*/) { return {}; }
    virtual std::string saveFile(const std::string & /*title*/, const std::string & /*suggestedName*/,
                                 const std::string & /*filter*/)
    {
        return {};
    }
    // Closes every popup now open as if the operator had closed it: a message
    // counts as read, a confirmation as cancelled (0), a file choice as
    // none.
    virtual void closeOpen() {}
};

// nullptr restores the dialogs of the program.
void setPopupPresenter(PopupPresenter *presenter);
PopupPresenter *popupPresenter();

} // namespace ui
