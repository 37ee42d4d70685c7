#include "ui/common/VirtualKeys.h"

#include <QKeyEvent>

namespace tessaly {
namespace {

struct Pair {
    int qt;
    int vk;
};

constexpr Pair kKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},        {Qt::Key_Return, 13},  {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17},   {Qt::Key_Alt, 18},     {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},    {Qt::Key_Space, 32},   {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},       {Qt::Key_Home, 36},    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},       {Qt::Key_Right, 39},     {Qt::Key_Down, 40},    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},   {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},   {Qt::Key_Minus, 109},
    {Qt::Key_Period, 190},  {Qt::Key_Slash, 191},    {Qt::Key_Comma, 188},  {Qt::Key_Semicolon, 186},
};

}  // namespace

int virtualKeyFromQt(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    for (const auto &p : kKeys)
        if (p.qt == qtKey)
            return p.vk;
    return 0;
}

int qtKeyFromVirtualKey(int vk)
{
    if (vk >= 65 && vk <= 90)
        return Qt::Key_A + (vk - 65);
    if (vk >= 48 && vk <= 57)
        return Qt::Key_0 + (vk - 48);
    if (vk >= 112 && vk <= 135)
        return Qt::Key_F1 + (vk - 112);
    for (const auto &p : kKeys)
        if (p.vk == vk)
            return p.qt;
    return 0;
}

int shortcutCode(const QKeyEvent &event)
{
    int code = virtualKeyFromQt(event.key());
    const auto mods = event.modifiers();
    if (mods & Qt::ShiftModifier)
        code += 8192;
    if (mods & Qt::ControlModifier)
        code += 16384;
    if (mods & Qt::AltModifier)
        code += 32768;
    return code;
}

}  // namespace tessaly
