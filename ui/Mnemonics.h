// Greek users switch between the Greek and a Latin keyboard layout all the
// time: a mnemonic on a Greek letter is also reached by the Latin key in the
// same place of the keyboard (Π and P, Μ and M), since Qt matches the
// character typed, not the key.
#pragma once

#include <QKeySequence>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace epinax::ui {

// The Latin letter on the key of a Greek letter (accents and case ignored),
// by the standard Greek layout; a null character for any other.
QChar LatinKeyOf(QChar greek);
// The mnemonic letter of a caption ("Ά&νοιγμα" gives Ν), or a null character.
QChar MnemonicOf(const QString& caption);
// Alt and the Latin key of the caption's Greek mnemonic, in `window`, runs
// `activate` while `reachable` says the control can be used.
// The entries of an open menu answer the Latin keys of their mnemonics too.
void AcceptLatinKeys(QMenu* menu);
void AddLatinMnemonic(QWidget* window, const QString& caption, const std::function<bool()>& reachable,
                      const std::function<void()>& activate);

}  // namespace epinax::ui
