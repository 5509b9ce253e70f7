#include "editor/spriteinks.h"

namespace quillox
{

const char* inkName(Ink ink)
{
    switch (ink) {
    case Ink::White:
        return "white";
    case Ink::Black:
        return "black";
    case Ink::DarkGrey:
        return "dark grey";
    case Ink::LightGrey:
        return "light grey";
    case Ink::Transparent:
        break;
    }
    return "transparent";
}

} // namespace quillox
