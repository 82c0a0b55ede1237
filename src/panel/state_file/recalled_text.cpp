#include "panel/state_file/recalled_text.h"

namespace panel {

bool forgesLogText(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f)     // C0, DEL, C1
           || u == 0x200e || u == 0x200f || u == 0x061c // marks
           || (u >= 0x202a && u <= 0x202e)             // embeddings, overrides
           || (u >= 0x2066 && u <= 0x2069)             // isolates
           || u == 0x2028 || u == 0x2029;              // line, paragraph separator
}

QString recalledText(QString text)
{
    for (QChar &c : text)
        if (forgesLogText(c))
            c = QChar::ReplacementCharacter;
    return text;
}

} // namespace panel
