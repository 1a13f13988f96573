#include "ui/WaitWindow.h"
#include "ui/ObjectNames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace epinax::ui {

namespace {

const int kClientWidth = 262;
const int kClientHeight = 49;
const int kTextPixels = 24;
const int kSideMargin = 8;

QString WaitWords() { return QStringLiteral(u"Παρακαλώ περιμένετε"); }

}  // namespace

WaitWindow::WaitWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(handle::Name(handle::kWaitWindow));
    setWindowTitle(WaitWords());
    setModal(false);

    text_ = new QLabel(WaitWords(), this);
    text_->setObjectName(handle::Name(handle::kWaitText));
    text_->setAlignment(Qt::AlignCenter);
    QFont font = text_->font();
    font.setPixelSize(kTextPixels);
    text_->setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);

    // Wider than the usual box when the font in use needs it, so the words
    // are never cut off.
    const int textWidth = QFontMetrics(font).horizontalAdvance(WaitWords());
    const int width = qMax(kClientWidth, textWidth + 2 * kSideMargin);
    const int height = qMax(kClientHeight, QFontMetrics(font).height() + kSideMargin);
    setFixedSize(width, height);
}

void WaitWindow::ShowNow()
{
    show();
    // Let the platform report the state it has (e.g. still minimised from an
    // earlier call) before it is put right; otherwise that late report wins.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    CentreOnScreen();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitWindow::CentreOnScreen()
{
    QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target) return;
    QRect frame = frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace epinax::ui
