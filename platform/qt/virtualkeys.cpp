#include "platform/qt/virtualkeys.h"

#include <QKeyEvent>

namespace {

// Punctuation keys by the character they type (the US layout's key codes); the shifted
// symbols of the digit row are their digit keys.
VirtualKey PunctuationKey(int key) {
    switch (key) {
        case Qt::Key_ParenRight:
            return 0x30;
        case Qt::Key_Exclam:
            return 0x31;
        case Qt::Key_NumberSign:
            return 0x33;
        case Qt::Key_Dollar:
            return 0x34;
        case Qt::Key_Percent:
            return 0x35;
        case Qt::Key_Ampersand:
            return 0x37;
        case Qt::Key_ParenLeft:
            return 0x39;
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return 0xBA;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return 0xBB;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return 0xBC;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return 0xBD;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return 0xBE;
        case Qt::Key_Slash:
        case Qt::Key_Question:
            return 0xBF;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
        case Qt::Key_At:
            return 0xC0;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return 0xDB;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
        case Qt::Key_yen:
            return 0xDC;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return 0xDD;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
        case Qt::Key_AsciiCircum:
            return 0xDE;
        default:
            return 0;
    }
}

}  // namespace

VirtualKey VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<VirtualKey>(keypad ? 0x60 + (key - Qt::Key_0) : key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<VirtualKey>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<VirtualKey>(0x70 + (key - Qt::Key_F1));
    }
    switch (key) {
        case Qt::Key_Backspace:
            return vkBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vkTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vkReturn;
        case Qt::Key_Escape:
            return vkEscape;
        case Qt::Key_Space:
            return 0x20;
        case Qt::Key_PageUp:
            return vkPrior;
        case Qt::Key_PageDown:
            return vkNext;
        case Qt::Key_End:
            return vkEnd;
        case Qt::Key_Home:
            return vkHome;
        case Qt::Key_Left:
            return vkLeft;
        case Qt::Key_Up:
            return vkUp;
        case Qt::Key_Right:
            return vkRight;
        case Qt::Key_Down:
            return vkDown;
        case Qt::Key_Insert:
            return 0x2D;
        case Qt::Key_Delete:
            return vkDelete;
        case Qt::Key_Asterisk:
            return keypad ? 0x6A : 0x38;
        default:
            break;
    }
    if (keypad) {
        switch (key) {
            case Qt::Key_Plus:
                return 0x6B;
            case Qt::Key_Minus:
                return 0x6D;
            case Qt::Key_Period:
                return 0x6E;
            case Qt::Key_Slash:
                return 0x6F;
            default:
                break;
        }
    }
    return PunctuationKey(key);
}

ShiftState ShiftStateOf(const QKeyEvent& event) {
    ShiftState state = 0;
    if (event.modifiers() & Qt::ShiftModifier) {
        state |= ssShift;
    }
    if (event.modifiers() & Qt::AltModifier) {
        state |= ssAlt;
    }
    if (event.modifiers() & Qt::ControlModifier) {
        state |= ssCtrl;
    }
    return state;
}
