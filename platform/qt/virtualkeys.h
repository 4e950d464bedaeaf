// The grids speak of keys in the virtual-key codes of the desktop they were designed on
// (0x41 for A, 0x2E for Delete, 0xE5 for a key the input method is processing). This table
// is the one place where Qt's keys become those codes.
#pragma once

#include <cstdint>

class QKeyEvent;

using VirtualKey = uint16_t;

constexpr VirtualKey vkBack = 0x08;
constexpr VirtualKey vkTab = 0x09;
constexpr VirtualKey vkReturn = 0x0D;
constexpr VirtualKey vkEscape = 0x1B;
constexpr VirtualKey vkPrior = 0x21;
constexpr VirtualKey vkNext = 0x22;
constexpr VirtualKey vkEnd = 0x23;
constexpr VirtualKey vkHome = 0x24;
constexpr VirtualKey vkLeft = 0x25;
constexpr VirtualKey vkUp = 0x26;
constexpr VirtualKey vkRight = 0x27;
constexpr VirtualKey vkDown = 0x28;
constexpr VirtualKey vkDelete = 0x2E;
// Digits and letters: the codes of their characters.
constexpr VirtualKey vk0 = 0x30;
constexpr VirtualKey vk9 = 0x39;
constexpr VirtualKey vkA = 0x41;
constexpr VirtualKey vkC = 0x43;
constexpr VirtualKey vkV = 0x56;
constexpr VirtualKey vkX = 0x58;
constexpr VirtualKey vkZ = 0x5A;
// The numeric pad: its digits, then * + separator - . /.
constexpr VirtualKey vkNumPad0 = 0x60;
constexpr VirtualKey vkDivide = 0x6F;
// The punctuation keys of the main keyboard and the keys of other keyboards.
constexpr VirtualKey vkFirstPunctuation = 0x92;
constexpr VirtualKey vkLastPunctuation = 0xEF;
// The code of a key that the input method takes for composing text.
constexpr VirtualKey vkProcessKey = 0xE5;

// Modifier keys held with a key.
enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using ShiftState = unsigned;

// The virtual-key code of a key event; 0 for a key without one (a modifier alone).
VirtualKey VirtualKeyOf(const QKeyEvent& event);
ShiftState ShiftStateOf(const QKeyEvent& event);
