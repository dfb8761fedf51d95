#pragma once
// Mnemonics, shortcut keys and what screen readers see of the buttons. Internal
// to runtime/.

#include <QString>

class QAbstractButton;

namespace tarvik::rt {

// A button's text as the operator reads it: the mnemonic mark gone ("&Connect"
// gives "Connect"), "&&" shown as one '&'.
QString VisibleText(const QString& marked);

// The text to give a button that was showing `marked`, so that it reads `plain`
// and keeps its mnemonic key on the first letter of `plain` that is that key
// (ignoring case); without such a letter, or without a mnemonic before, it has
// none. A '&' in plain stays a '&'.
QString KeepMnemonic(const QString& marked, const QString& plain);

// Makes Qt describe every radio button to screen readers as a radio button,
// also when it is not auto-exclusive (the engine's toggles pair themselves
// through their callbacks, and Qt would call such a button a check box).
// Calling again does nothing.
void InstallToggleAccessibility();

}  // namespace tarvik::rt
