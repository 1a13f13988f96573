#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <deque>

namespace epinax::ui {

namespace {

struct Queues {
    std::deque<int> answers;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<TFindRequest>> finds;
    bool recordOnly = false;
    QStringList shown;
    QString lastFolder;
};

Queues& Q()
{
    static Queues queues;
    return queues;
}

int CodeOf(TMsgDlgBtn button)
{
    switch (button) {
    case TMsgDlgBtn::mbYes: return mrYes;
    case TMsgDlgBtn::mbNo: return mrNo;
    case TMsgDlgBtn::mbOK: return mrOk;
    case TMsgDlgBtn::mbCancel: return mrCancel;
    }
    return mrCancel;
}

QString PlatformCaption(TMsgDlgBtn button)
{
    switch (button) {
    case TMsgDlgBtn::mbYes: return QStringLiteral(u"Ναι");
    case TMsgDlgBtn::mbNo: return QStringLiteral(u"Όχι");
    case TMsgDlgBtn::mbOK: return QStringLiteral(u"OK");
    case TMsgDlgBtn::mbCancel: return QStringLiteral(u"Άκυρο");
    }
    return {};
}

// Message texts of the core end lines with CR LF.
QString Lines(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

// The width that shows a box's title whole: the title's text in a bold face,
// as window managers draw it, and room for the title bar's buttons.
int TitleWidth(const QWidget& box, const QString& title)
{
    QFont bold = box.font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + 120;
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, Lines(text), QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleWidth(box, title), 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

// The program's messages are laid out in lines of their own, which a box
// keeps; only a line wider than most of the screen is wrapped, so that the
// box never runs past the screen's edge and hides its end.
void LayOutLines(QLabel& label)
{
    const QScreen* screen = label.screen();
    const int widest = screen ? screen->availableGeometry().width() * 2 / 3 : 800;
    const QFontMetrics metrics(label.font());
    int longest = 0;
    for (const QString& line : label.text().split(QLatin1Char('\n')))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    label.setWordWrap(longest > widest);
    if (longest > widest) label.setFixedWidth(widest);
}

}  // namespace

QString ApplicationTitle() { return QStringLiteral(u"Συγκεντρωτικές καταστάσεις πελατών-προμηθευτών"); }

// ------------------------------------------------------------ TConfirmDialog

TConfirmDialog::TConfirmDialog(QWidget* parent, const QString& text, const std::vector<TMsgDlgBtn>& buttons,
                               const QStringList& captions)
    : QDialog(parent)
{
    setWindowTitle(ApplicationTitle());
    auto* layout = new QVBoxLayout(this);
    // As large as its text, buttons and title need, and not a pixel more:
    // no strip below the buttons, no title cut short.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addSpacerItem(new QSpacerItem(TitleWidth(*this, windowTitle()), 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
    auto* label = new QLabel(Lines(text), this);
    label->setObjectName(QStringLiteral("Message"));
    LayOutLines(*label);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addStretch();
    // Buttons always stand in this order, whatever order the caller named them in.
    const TMsgDlgBtn order[] = {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel};
    int captionIndex = 0;
    bool hasCancel = false;
    for (TMsgDlgBtn button : order) {
        if (std::find(buttons.begin(), buttons.end(), button) == buttons.end()) continue;
        QString caption = captionIndex < captions.size() ? captions[captionIndex] : PlatformCaption(button);
        ++captionIndex;
        auto* push = new QPushButton(caption, this);
        push->setObjectName(QStringLiteral("Button%1").arg(CodeOf(button)));
        int code = CodeOf(button);
        connect(push, &QPushButton::clicked, this, [this, code] {
            result_ = code;
            accept();
        });
        if (button == TMsgDlgBtn::mbYes) push->setDefault(true);
        hasCancel = hasCancel || button == TMsgDlgBtn::mbCancel;
        row->addWidget(push);
    }
    escapeResult_ = hasCancel ? mrCancel : mrNo;
    row->addStretch();
    layout->addLayout(row);
}

void TConfirmDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        result_ = escapeResult_;
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ------------------------------------------------------------------ TDialogs

void TDialogs::SetNextAnswer(int code) { Q().answers.push_back(code); }
void TDialogs::SetNextFileName(const std::optional<QString>& path) { Q().files.push_back(path); }
void TDialogs::SetNextFind(const std::optional<TFindRequest>& request) { Q().finds.push_back(request); }
void TDialogs::SetRecordOnly(bool recordOnly) { Q().recordOnly = recordOnly; }

void TDialogs::ClearQueues()
{
    Q().answers.clear();
    Q().files.clear();
    Q().finds.clear();
    Q().lastFolder.clear();
}
QStringList& TDialogs::Shown() { return Q().shown; }

QString TDialogs::FolderOf(const QString& path) { return QFileInfo(path).absolutePath() + QLatin1Char('/'); }

QString TDialogs::StartFolder()
{
    if (!Q().lastFolder.isEmpty() && QDir(Q().lastFolder).exists()) return Q().lastFolder;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir(documents).exists()) documents = QDir::homePath();
    return documents.endsWith(QLatin1Char('/')) ? documents : documents + QLatin1Char('/');
}

void TDialogs::RememberFolderOf(const QString& chosenPath) { Q().lastFolder = FolderOf(chosenPath); }

void TDialogs::Beep()
{
    Q().shown << QStringLiteral("beep");
    QApplication::beep();
}

void TDialogs::ShowMessage(QWidget* parent, const QString& text)
{
    Q().shown << QStringLiteral("message: ") + text;
    if (Q().recordOnly) return;
    TConfirmDialog box(parent, text, {TMsgDlgBtn::mbOK}, {QStringLiteral("OK")});
    box.exec();
}

void TDialogs::ShowCopyableMessage(QWidget* parent, const QString& text)
{
    Q().shown << QStringLiteral("message: ") + text;
    if (Q().recordOnly) return;
    TConfirmDialog box(parent, text, {TMsgDlgBtn::mbOK}, {QStringLiteral("OK")});
    box.findChild<QLabel*>(QStringLiteral("Message"))
        ->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void TDialogs::ShowWarning(QWidget* parent, const QString& text)
{
    Q().shown << QStringLiteral("warning: ") + text;
    if (!Q().recordOnly) ShowBox(parent, QMessageBox::Warning, QStringLiteral(u"Προειδοποίηση"), text);
}

void TDialogs::ShowError(QWidget* parent, const QString& text)
{
    Q().shown << QStringLiteral("error: ") + text;
    if (!Q().recordOnly) ShowBox(parent, QMessageBox::Critical, ApplicationTitle(), text);
}

int TDialogs::AskConfirmation(QWidget* parent, const QString& text, const std::vector<TMsgDlgBtn>& buttons,
                              const QStringList& captions)
{
    Q().shown << QStringLiteral("ask: ") + text;
    if (!Q().answers.empty()) {
        int answer = Q().answers.front();
        Q().answers.pop_front();
        return answer;
    }
    if (Q().recordOnly) return mrYes;
    TConfirmDialog dialog(parent, text, buttons, captions);
    dialog.exec();
    return dialog.Result();
}

std::optional<QString> TDialogs::SaveFileName(QWidget* parent, const QString& directory, const QString& proposed)
{
    if (std::optional<QString> queued; TakeQueuedFile(queued)) return queued;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral(u"Αποθήκευση ως"), directory + proposed,
                                                QString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> TDialogs::OpenFileName(QWidget* parent, const QString& directory)
{
    if (std::optional<QString> queued; TakeQueuedFile(queued)) return queued;
    QString path = QFileDialog::getOpenFileName(parent, QStringLiteral(u"Άνοιγμα"), directory,
                                                QStringLiteral(u"Όλα τα αρχεία (*)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> TDialogs::WorkbookFileName(QWidget* parent, const QString& directory)
{
    if (std::optional<QString> queued; TakeQueuedFile(queued)) return queued;
    const QString filters =
        QStringList{
            QStringLiteral(u"Λογιστικά φύλλα (*.xls *.xlsx *.ods *.csv)"),
            QStringLiteral(u"Excel 97-2003 (*.xls)"),
            QStringLiteral(u"Excel (*.xlsx)"),
            QStringLiteral(u"OpenDocument (*.ods)"),
            QStringLiteral(u"Κείμενο με διαχωριστικά (*.csv)"),
        }
            .join(QStringLiteral(";;"));
    QString path = QFileDialog::getOpenFileName(parent, QStringLiteral(u"Εισαγωγή στοιχείων"), directory, filters);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

bool TDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer)
{
    if (std::optional<QString> path; TakeQueuedFile(path)) {
        if (!path) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*path);
        return true;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> TDialogs::PdfFileName(QWidget* parent, const QString& proposedPath)
{
    if (std::optional<QString> queued; TakeQueuedFile(queued)) return queued;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral(u"Αποθήκευση PDF"), proposedPath,
                                                QStringLiteral(u"Έγγραφα PDF (*.pdf)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> TDialogs::SpreadsheetFileName(QWidget* parent, const QString& directory, const QString& proposed)
{
    if (std::optional<QString> queued; TakeQueuedFile(queued)) return queued;
    const QStringList filters{QStringLiteral(u"Excel (*.xlsx)"), QStringLiteral(u"OpenDocument (*.ods)"),
                              QStringLiteral(u"Κείμενο CSV, UTF-8 με «;» (*.csv)")};
    QString filter = filters[0];
    QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral(u"Εξαγωγή σε λογιστικό φύλλο"), directory + proposed,
                                     filters.join(QStringLiteral(";;")), &filter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("xlsx") && suffix != QStringLiteral("ods") && suffix != QStringLiteral("csv"))
        path += filter.mid(filter.lastIndexOf(QLatin1Char('.'))).chopped(1);
    return path;
}

// A test's file name answers a file dialog; with none queued while the
// dialogs only record, the dialog is as good as cancelled.
bool TDialogs::TakeQueuedFile(std::optional<QString>& path)
{
    if (Q().files.empty()) return Q().recordOnly;
    path = Q().files.front();
    Q().files.pop_front();
    return true;
}

bool TDialogs::TakeQueuedFind(std::optional<TFindRequest>& request)
{
    if (Q().finds.empty()) return false;
    request = Q().finds.front();
    Q().finds.pop_front();
    return true;
}

}  // namespace epinax::ui
