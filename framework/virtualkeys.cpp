#include "framework/virtualkeys.h"

int VirtualKeyFromQt(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Backspace: return VK::Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return VK::Return;
    case Qt::Key_Escape: return VK::Escape;
    case Qt::Key_Space: return VK::Space;
    case Qt::Key_PageUp: return VK::Prior;
    case Qt::Key_PageDown: return VK::Next;
    case Qt::Key_End: return VK::End;
    case Qt::Key_Home: return VK::Home;
    case Qt::Key_Left: return VK::Left;
    case Qt::Key_Up: return VK::Up;
    case Qt::Key_Right: return VK::Right;
    case Qt::Key_Down: return VK::Down;
    case Qt::Key_Insert: return VK::Insert;
    case Qt::Key_Delete: return VK::Delete;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: break;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;  // Qt's codes of digits and letters are their upper-case characters
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return VK::F1 + (qtKey - Qt::Key_F1);
    return 0;
}
