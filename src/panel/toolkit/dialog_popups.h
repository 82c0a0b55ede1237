// The program's popups: modal dialogs over the panel window.
#pragma once

#include "panel/api/popups.h"

#include <vector>

class QDialog;
class QWidget;

namespace panel {

class DialogPopups : public ui::PopupPresenter {
public:
    void message(const std::string &title, const std::string &text) override;
    int confirm(const std::string &title, const std::string &text) override;
    void closeOpen() override;

private:
    // The dialogs now waiting for the operator, innermost last.
    std::vector<QDialog *> open_;
};

} // namespace panel
