// The panel definition: every control of a panel with its identifier, constant
// name, kind, texts, callback name, value at load and limits, read from the
// panel resource file (JSON).
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace panel {

enum class Kind {
    Numeric,       // value field with arrows: double or 32-bit integer
    Text,          // one-line text field, editable or indicator
    TextBox,       // multi-line scrolling indicator; writing appends
    TextMessage,   // fixed text
    ToggleButton,  // two-state button with a caption
    ToggleSwitch,  // two-state switch with a label
    CommandButton, // momentary push button
    Led,           // two-state lamp with a label
    Picture,       // fixed image
    Timer,         // invisible; ticks while enabled
};

// `text` as one line: control characters of quoted input (a line break in a
// constant or a kind) are shown escaped, as \n, \t or \x1b.
QString oneLine(const QString &text);

// The kind's name in a definition file: "numeric", "timer", ...
QString kindName(Kind kind);

enum class NumericType { Double, Int32 };

struct ControlDef {
    int id = 0;
    QString constant;
    Kind kind = Kind::TextMessage;
    QString label;    // shown beside the control; may be empty
    QString caption;  // buttons; "__X..." marks X as the keyboard shortcut
    QString callback; // empty: no callback
    bool editable = false;

    // Value at load.
    NumericType numericType = NumericType::Double;
    double numericValue = 0.0; // numeric (both types), toggles, LEDs
    QString textValue;         // text fields, text box, text message

    // Numeric limits and display.
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 1.0;
    int precision = 0;

    int maxLength = 0; // text fields: longest accepted text; 0 = no limit
    bool visible = true;
    QString onColor, offColor; // LEDs
    QString image;             // pictures, relative to the definition file
    double intervalSeconds = 0.0; // timers
    bool timerEnabled = false;

    bool holdsValue() const;
};

struct PanelDef {
    QString name;
    int id = 0;
    QString title;
    int left = 0;
    int top = 0;
    QString closeControl; // the control whose commit the window's close box sends
    QString baseDir;      // directory of the definition file, for images
    std::vector<ControlDef> controls; // in identifier order

    const ControlDef *find(int id) const;
    const ControlDef *find(const QString &constant) const;
};

// Reads panel `panelName` from the definition file at `path`. On failure returns
// nothing and, when `error` is given, a reason a person can act on.
std::optional<PanelDef> loadPanelDefinition(const QString &path, const QString &panelName,
                                            QString *error = nullptr);
// The same from the file's content; `path` names it in errors and gives the
// directory of its images.
std::optional<PanelDef> parsePanelDefinition(const QByteArray &content, const QString &path,
                                             const QString &panelName, QString *error = nullptr);

} // namespace panel
