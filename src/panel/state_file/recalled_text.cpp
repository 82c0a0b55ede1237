#include "panel/state_file/recalled_text.h"

#include "panel/api/message_box.h"

namespace panel {

bool forgesLogText(QChar c) { return ui::forgesLogText(c.unicode()); }

QString recalledText(QString text)
{
    for (QChar &c : text)
        if (forgesLogText(c))
            c = QChar::ReplacementCharacter;
    return text;
}

} // namespace panel
