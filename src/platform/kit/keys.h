// The keys the program reacts to, whatever window system delivers them.
#pragma once

namespace zorbel {

enum class Key {
    Other,
    Escape,
    Return,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Plus,          // + or =, on the main keys or the keypad
    Minus,         // -, on the main keys or the keypad
    LeftBracket,   // [
    RightBracket,  // ]
    T,
    Q,
    Space,
    Home,
    F9,
    F10,
    F11,
    F12,
    Menu,  // the context-menu key
};

}  // namespace zorbel
