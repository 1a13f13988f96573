#include "ui/Mnemonics.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

namespace epinax::ui {

namespace {

// A Latin letter typed into the menu comes to it again as the Greek letter
// of an entry's mnemonic on that key, for the menu's own handling.
class TLatinMenuKeys : public QObject {
public:
    explicit TLatinMenuKeys(QMenu* menu) : QObject(menu), menu_(menu) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != menu_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1 || text.at(0).unicode() > 0x7f || !text.at(0).isLetter()) return false;
        if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return false;
        const QChar greek = GreekMnemonicOn(text.at(0).toUpper());
        if (greek.isNull()) return false;
        QKeyEvent translated(QEvent::KeyPress, Qt::Key(greek.unicode()), Qt::NoModifier, QString(greek));
        QApplication::sendEvent(menu_, &translated);
        return true;
    }

private:
    QChar GreekMnemonicOn(QChar latin) const
    {
        for (const QAction* action : menu_->actions()) {
            const QChar mnemonic = MnemonicOf(action->text());
            if (!mnemonic.isNull() && LatinKeyOf(mnemonic) == latin) return mnemonic;
        }
        return {};
    }

    QMenu* menu_;
};

}  // namespace

void AcceptLatinKeys(QMenu* menu) { menu->installEventFilter(new TLatinMenuKeys(menu)); }

QChar LatinKeyOf(QChar greek)
{
    // Α to Ω, each over the Latin letter of its key.
    static const char16_t kGreek[] = u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ";
    static const char kLatin[] = "ABGDEZHUIKLMNJOPRSTYFXCV";
    const QString bare = QString(greek).normalized(QString::NormalizationForm_D).left(1).toUpper();
    if (bare.isEmpty()) return {};
    for (int i = 0; kGreek[i]; ++i)
        if (bare.at(0) == QChar(kGreek[i])) return QLatin1Char(kLatin[i]);
    return {};
}

QChar MnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&')) continue;
        if (caption.at(i + 1) != QLatin1Char('&')) return caption.at(i + 1);
        ++i;  // "&&" is a plain ampersand
    }
    return {};
}

void AddLatinMnemonic(QWidget* window, const QString& caption, const std::function<bool()>& reachable,
                      const std::function<void()>& activate)
{
    const QChar latin = LatinKeyOf(MnemonicOf(caption));
    if (latin.isNull()) return;
    auto* shortcut = new QShortcut(QKeySequence(QKeyCombination(Qt::ALT, Qt::Key(latin.unicode()))), window);
    QObject::connect(shortcut, &QShortcut::activated, window, [reachable, activate] {
        if (reachable()) activate();
    });
}

}  // namespace epinax::ui
