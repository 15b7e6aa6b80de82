#include "launcher/BindingText.h"

#include "platform/Preferences.h"

#include <QHash>
#include <QKeySequence>

namespace {

// Virtual key codes of the letter, digit and common keys.
int qtKey(quint32 keyCode)
{
    static const QHash<quint32, int> keys = {
        {0, Qt::Key_A},      {1, Qt::Key_S},       {2, Qt::Key_D},        {3, Qt::Key_F},      {4, Qt::Key_H},
        {5, Qt::Key_G},      {6, Qt::Key_Z},       {7, Qt::Key_X},        {8, Qt::Key_C},      {9, Qt::Key_V},
        {11, Qt::Key_B},     {12, Qt::Key_Q},      {13, Qt::Key_W},       {14, Qt::Key_E},     {15, Qt::Key_R},
        {16, Qt::Key_Y},     {17, Qt::Key_T},      {18, Qt::Key_1},       {19, Qt::Key_2},     {20, Qt::Key_3},
        {21, Qt::Key_4},     {22, Qt::Key_6},      {23, Qt::Key_5},       {24, Qt::Key_Equal}, {25, Qt::Key_9},
        {26, Qt::Key_7},     {27, Qt::Key_Minus},  {28, Qt::Key_8},       {29, Qt::Key_0},     {30, Qt::Key_BracketRight},
        {31, Qt::Key_O},     {32, Qt::Key_U},      {33, Qt::Key_BracketLeft}, {34, Qt::Key_I}, {35, Qt::Key_P},
        {36, Qt::Key_Return}, {37, Qt::Key_L},     {38, Qt::Key_J},       {39, Qt::Key_Apostrophe}, {40, Qt::Key_K},
        {41, Qt::Key_Semicolon}, {42, Qt::Key_Backslash}, {43, Qt::Key_Comma}, {44, Qt::Key_Slash}, {45, Qt::Key_N},
        {46, Qt::Key_M},     {47, Qt::Key_Period}, {48, Qt::Key_Tab},     {49, Qt::Key_Space}, {50, Qt::Key_QuoteLeft},
        {51, Qt::Key_Backspace}, {53, Qt::Key_Escape}, {122, Qt::Key_F1}, {120, Qt::Key_F2},   {99, Qt::Key_F3},
        {118, Qt::Key_F4},   {96, Qt::Key_F5},     {97, Qt::Key_F6},      {98, Qt::Key_F7},    {100, Qt::Key_F8},
        {101, Qt::Key_F9},   {109, Qt::Key_F10},   {103, Qt::Key_F11},    {111, Qt::Key_F12},
    };
    return keys.value(keyCode, 0);
}

} // namespace

QString bindingShortcutText(const QVariantMap &binding)
{
    bool keyOk = false;
    bool modifiersOk = false;
    const quint32 keyCode = binding.value(Preferences::keyCodeEntry).toUInt(&keyOk);
    const quint32 modifiers = binding.value(Preferences::modifiersEntry).toUInt(&modifiersOk);
    const int key = keyOk && modifiersOk ? qtKey(keyCode) : 0;
    if (key == 0)
        return {};
    int combination = key;
    if (modifiers & 4096) // Control
        combination |= Qt::CTRL;
    if (modifiers & 2048) // Option
        combination |= Qt::ALT;
    if (modifiers & 512) // Shift
        combination |= Qt::SHIFT;
    if (modifiers & 256) // Command
        combination |= Qt::META;
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}
