// The program's popups: modal dialogs over the panel window.
#pragma once

#include "panel/api/popups.h"

#include <QString>
#include <vector>

class QDialog;
class QWidget;

namespace panel {

class DialogPopups : public ui::PopupPresenter {
public:
    void message(const std::string &title, const std::string &text) override;
    int confirm(const std::string &title, const std::string &text) override;
    std::string openFile(const std::string &title, const std::string &filter) override;
    std::string saveFile(const std::string &title, const std::string &suggestedName, const std::string &filter) override;
    void closeOpen() override;

private:
    std::string chooseFile(const std::string &title, const std::string &suggestedName, const std::string &filter,
                           bool save);

    // Where the next file dialog opens: the working directory, then the
    // folder of the file chosen last.
    QString directory_;
    // The dialogs now waiting for the operator, innermost last.
    std::vector<QDialog *> open_;
};

} // namespace panel
