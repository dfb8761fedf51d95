#pragma once
// Mnemonics, shortcut keys and what screen readers see of the buttons. Internal
// to runtime/.

#include <QString>

class QAbstractButton;

namespace tarvik::rt {

// A button's text as the operator reads it: the mnemonic mark gone ("&Connect"
// gives "Connect"), "&&" shown as one '&'.
QString VisibleText(const QString& marked);

// The letter that `marked` marks as its mnemonic ("&Connect" gives 'C'); a null
// QChar when it marks none.
QChar MnemonicKey(const QString& marked);

// The text to give a button so that it reads `plain` and has its mnemonic on the
// first letter of `plain` that is `key` (ignoring case); with no such letter, or
// a null key, it has none. A '&' in plain stays a '&'.
QString WithMnemonic(QChar key, const QString& plain);

// Makes Qt describe every radio button to screen readers as a radio button,
// also when it is not auto-exclusive (the engine's toggles pair themselves
// through their callbacks, and Qt would call such a button a check box).
// Calling again does nothing.
void InstallToggleAccessibility();

}  // namespace tarvik::rt
