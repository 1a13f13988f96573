#include "ui/MainWindow.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "common/Authority.h"
#include "common/Files.h"
#include "common/Greek.h"
#include "import/Import.h"
#include "statement/TaxOffices.h"
#include "ui/CheckListDialog.h"
#include "ui/CounterpartyGrid.h"
#include "ui/Dialogs.h"
#include "ui/FindDialog.h"
#include "ui/GreekText.h"
#include "ui/Handlers.h"
#include "ui/KeyLed.h"
#include "ui/ListNavigator.h"
#include "ui/Mnemonics.h"
#include "ui/ObjectNames.h"
#include "ui/Pictures.h"
#include "ui/RecordStoreModel.h"
#include "ui/WaitWindow.h"

namespace epinax::ui {

namespace {

constexpr int kClientWidth = 908;
constexpr int kClientHeight = 543;

QString Text(const char16_t* text) { return QString::fromUtf16(text); }

std::string FileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A file chosen in a dialog, whose folder the next dialog starts in.
std::optional<std::string> Chosen(const std::optional<QString>& path, QString& chosen)
{
    chosen.clear();
    if (!path) return std::nullopt;
    chosen = *path;
    TDialogs::RememberFolderOf(*path);
    return FileSystemPath(*path);
}

QLabel* Caption(const char16_t* text, QWidget* parent)
{
    auto* label = new QLabel(Text(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* ReadOnlyTotal(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setFixedWidth(110);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

}  // namespace

MainWindow::MainWindow(const Options& options, QWidget* parent)
    : QMainWindow(parent), recent_(options.programDirectory + "recent")
{
    setObjectName(handle::Name(handle::kMainWindow));
    LoadPictures();
    statement_ = std::make_unique<TStatement>(options.programDirectory, *this, options.today);
    FormCreate();
}

// Qt would break the application-wide connections only in ~QObject, after
// the windows below are gone; a focus change while they go would then reach a
// half-destroyed window. So the window stops listening first, and its
// windows go while the statement they show still stands.
MainWindow::~MainWindow()
{
    disconnect(qApp, &QApplication::focusChanged, this, &MainWindow::FocusChanged);
    QApplication::instance()->removeEventFilter(this);
    delete findDialog_;
    delete checkListDialog_;
    delete wait_;
    delete takeCentralWidget();
}

// ---------------------------------------------------------------- start-up

void MainWindow::FormCreate()
{
    keyLed_ = new TKeyLed(this);
    capsLock_.emplace(keyLed_, statement_->ProgramDirectory() + "capslock");
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));

    auto* central = new QWidget(this);
    central->setMinimumSize(kClientWidth, kClientHeight);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    headerArea_ = BuildHeader(central);
    layout->addWidget(headerArea_);

    tabs = new QTabWidget(central);
    tabs->setObjectName(handle::Name(handle::kTabs));
    tabs->addTab(BuildTab(TSide::Customers), Text(u"&ΠΕΛΑΤΕΣ"));
    tabs->addTab(BuildTab(TSide::Suppliers), Text(u"ΠΡΟ&ΜΗΘΕΥΤΕΣ"));
    connect(tabs, &QTabWidget::currentChanged, this, &MainWindow::changeTab);
    for (int page = 0; page < tabs->count(); ++page)
        AddLatinMnemonic(
            this, tabs->tabText(page), [this] { return tabs->isEnabled(); },
            [this, page] { tabs->setCurrentIndex(page); });
    tabs->setCornerWidget(BuildKindButtons(tabs), Qt::TopRightCorner);
    layout->addWidget(tabs, 1);
    UpdateTabMarks();

    BuildMenu();
    statusBar()->setObjectName(handle::Name(handle::kStatusBar));
    BuildWelcomePanel(central);
    wait_ = new WaitWindow(this);
    findDialog_ = new FindDialog(this);

    // One filter for the whole application: the wheel over the grids, and the
    // keys and exits of the edits.
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &MainWindow::FocusChanged);
    layout->activate();
    setMinimumSize(sizeHint());
    resize(sizeHint());
    RestoreGeometry();
    ReadFromStatement();
}

void MainWindow::BuildMenu()
{
    auto add = [](QMenu* menu, const char* name, const char16_t* caption) {
        QAction* action = menu->addAction(Text(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    QMenu* file = menuBar()->addMenu(Text(u"&Αρχείο"));
    QAction* newStatement = add(file, handle::kNewAction, u"&Νέο");
    newStatement->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newStatement, &QAction::triggered, this, &MainWindow::newStatement);
    QAction* open = add(file, handle::kOpenAction, u"Άν&οιγμα");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &MainWindow::openStatement);
    recentMenu_ = file->addMenu(Text(u"Πρόσφα&τα αρχεία"));
    recentMenu_->setObjectName(QStringLiteral("RecentFiles"));
    FillRecentMenu();
    actionSaveAs = add(file, handle::kSaveAsAction, u"Α&ποθήκευση ως...");
    actionSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(actionSaveAs, &QAction::triggered, this, &MainWindow::saveStatementAs);
    file->addSeparator();
    QAction* exit = add(file, handle::kExitAction, u"Έ&ξοδος");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &MainWindow::exitProgram);

    QMenu* print = menuBar()->addMenu(Text(u"Εκ&τύπωση"));
    print->setToolTipsVisible(true);
    printMenuAction = print->menuAction();
    // Ctrl+P opens the print menu, whose entries name the two lists: the key
    // asks which list as the menu does.
    actionPrintMenu = new QAction(this);
    actionPrintMenu->setObjectName(QStringLiteral("PrintKey"));
    actionPrintMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addAction(actionPrintMenu);
    connect(actionPrintMenu, &QAction::triggered, this, [this] { menuBar()->setActiveAction(printMenuAction); });
    connect(add(print, handle::kCustomerReportAction, u"Συγκεντρωτική κατάσταση &Πελατών"), &QAction::triggered, this,
            &MainWindow::printCustomerReport);
    connect(add(print, handle::kSupplierReportAction, u"Συγκεντρωτική κατάσταση Προ&μηθευτών"), &QAction::triggered,
            this, &MainWindow::printSupplierReport);

    QMenu* tools = menuBar()->addMenu(Text(u"Ε&ργαλεία"));
    tools->setToolTipsVisible(true);
    actionFind = add(tools, handle::kFindAction, u"&Εύρεση...");
    actionFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(actionFind, &QAction::triggered, this, &MainWindow::findCounterparty);
    actionImport = add(tools, handle::kImportAction, u"Ε&ισαγωγή στοιχείων από Excel");
    connect(actionImport, &QAction::triggered, this, &MainWindow::importWorkbook);
    QAction* importWithLayout = add(tools, handle::kImportWithLayoutAction, u"Εισαγωγή με αντιστοί&χιση στηλών…");
    connect(importWithLayout, &QAction::triggered, this, &MainWindow::importWorkbookWithLayout);
    connect(actionImport, &QAction::changed, this,
            [=, this] { importWithLayout->setEnabled(actionImport->isEnabled()); });
    QAction* exportAction = add(tools, handle::kExportAction, u"Ε&ξαγωγή σε λογιστικό φύλλο…");
    connect(exportAction, &QAction::triggered, this, &MainWindow::exportWorkbook);
    connect(tools, &QMenu::aboutToShow, this,
            [this, exportAction] { exportAction->setEnabled(statement_->StatementLoaded()); });
    actionSort = add(tools, handle::kSortAction, u"&Ταξινόμηση λίστας");
    actionSort->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(actionSort, &QAction::triggered, this,
            [this] { tabs->currentIndex() == 0 ? sortCustomers() : sortSuppliers(); });
    actionCheck = add(tools, handle::kCheckAction, u"Έ&λεγχος κατάστασης");
    actionCheck->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(actionCheck, &QAction::triggered, this, &MainWindow::checkStatement);
    tools->addSeparator();
    connect(add(tools, handle::kZipAction, u"Δημιουργία συ&μπιεσμένου αρχείου (zip)"), &QAction::triggered, this,
            &MainWindow::makeZip);
    connect(add(tools, handle::kShortcutAction, u"Δημιουργία &συντόμευσης στην Επιφ. Εργασίας"), &QAction::triggered,
            this, &MainWindow::makeDesktopShortcut);
    QAction* site = tools->addAction(Text(u"Σύν&δεση με εξυπηρετητή ΚΕΦΥΣ (") + QString::fromUtf8(kAuthorityHost) +
                                     QLatin1Char(')'));
    site->setObjectName(handle::Name(handle::kServerAction));
    connect(site, &QAction::triggered, this, &MainWindow::connectToServer);
    QAction* submit = add(tools, handle::kSubmitAction, u"&Ηλεκτρονική υποβολή αρχείου Συγκεντρωτικής Κατάστασης");
    submit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(submit, &QAction::triggered, this, &MainWindow::submitOnline);

    QMenu* help = menuBar()->addMenu(Text(u"&Βοήθεια"));
    help->setToolTipsVisible(true);
    connect(add(help, handle::kManualAction, u"&Οδηγίες εφαρμογής"), &QAction::triggered, this,
            &MainWindow::showUserManual);
    connect(add(help, handle::kAboutAction, u"&Σχετικά..."), &QAction::triggered, this, &MainWindow::showAbout);
    InstallHelpKey();
    for (QAction* title : menuBar()->actions()) {
        AcceptLatinKeys(title->menu());
        AddLatinMnemonic(
            this, title->text(), [title] { return title->isEnabled(); },
            [this, title] { menuBar()->setActiveAction(title); });
    }
}

QLineEdit* MainWindow::AddEdit(QWidget* parent, const char* name, int maxLength)
{
    auto* edit = new QLineEdit(parent);
    QString key = QString::fromLatin1(name);
    edit->setObjectName(key);
    edit->setMaxLength(maxLength);
    edit->setValidator(new TCp1253Validator(edit));
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) { EditTextEdited(edit, text); });
    edits_.insert(key, edit);
    return edit;
}

// Each box is as wide as its typical content: digits for the numbers, the
// field's length for texts, so that a typed line shows whole.
void MainWindow::SizeForContent(QLineEdit* edit, int characters, bool digits)
{
    QFontMetrics metrics(edit->font());
    int perCharacter = digits ? metrics.horizontalAdvance(QLatin1Char('0')) : metrics.averageCharWidth() + 1;
    edit->setFixedWidth(perCharacter * characters + 14);
}

QWidget* MainWindow::BuildHeader(QWidget* parent)
{
    auto* header = new QWidget(parent);
    auto* grid = new QGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    auto edit = [&](const char* name) {
        const THeaderEdit* field = FindHeaderEdit(name);
        QLineEdit* box = AddEdit(header, name, field ? field->maxLength : 32767);
        if (field) SizeForContent(box, field->maxLength, field->keys == TKeyRule::Digits);
        return box;
    };
    auto pair = [&](int row, int column, const char16_t* caption, QWidget* widget, int span = 1) {
        grid->addWidget(Caption(caption, header), row, column);
        grid->addWidget(widget, row, column + 1, 1, span, Qt::AlignLeft);
    };
    // Row by row, in tab order.
    pair(0, 0, u"Έτος που αφορούν\nτα στοιχεία: (*)", edit("YearOfData"));
    taxOfficeCombo = new QComboBox(header);
    taxOfficeCombo->setObjectName(handle::Name(handle::kTaxOfficeCombo));
    for (const auto& name : TaxOfficeNames()) taxOfficeCombo->addItem(QString::fromStdString(name));
    taxOfficeCombo->setCurrentIndex(-1);
    // A list of about twenty offices at a time, not the whole screen's height
    // that some styles give a drop-down list.
    taxOfficeCombo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    taxOfficeCombo->setMaxVisibleItems(20);
    taxOfficeCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(taxOfficeCombo, &QComboBox::activated, this,
            [this](int index) { Run([&] { statement_->ChooseTaxOffice(index); }); });
    pair(0, 2, u"ΔΟΥ: (*)", taxOfficeCombo);
    pair(0, 4, u"Αριθμός Φακέλου\n(για τις ΑΕ):", edit("Edit1"));

    pair(1, 0, u"Επωνυμία Επιχείρησης:", edit("CompanyName"));
    pair(1, 2, u"ΑΦΜ: (*)", edit("AFM"));
    pair(1, 4, u"Αντικείμενο Εργασιών\n(Επάγγελμα):", edit("AntikeimenoErgasion"));

    pair(2, 0, u"Διεύθυνση - Πόλη:", edit("Town"));
    pair(2, 2, u"Οδός:", edit("Street"));
    auto* numberRow = new QHBoxLayout;
    numberRow->setSpacing(8);
    numberRow->addWidget(edit("Number"));
    numberRow->addSpacing(10);
    numberRow->addWidget(Caption(u"Τ.Κ.:", header));
    numberRow->addWidget(edit("TK"));
    numberRow->addStretch();
    grid->addWidget(Caption(u"Αριθμός:", header), 2, 4);
    grid->addLayout(numberRow, 2, 5);

    pair(3, 0, u"Τηλέφωνο:", edit("Tel"));
    pair(3, 2, u"Φαξ:", edit("Fax"));
    auto* required = new QLabel(Text(u"(*) Υποχρεωτικά Στοιχεία"), header);
    grid->addWidget(required, 3, 4, 1, 2, Qt::AlignRight);

    pair(4, 0, u"Email:", edit("email"), 3);
    QLineEdit* egatastash = edit("Egatastash");
    egatastash->setToolTip(
        Text(u"- Ε συνολικά για την έδρα και τα υποκαταστήματα\n- 0 (μηδέν) μόνο της έδρας\n"
             u"- Αριθμός εγκατάστασης μητρώου Kelvo για υποκατάστημα"));
    pair(4, 4, u"Είδος Εγκατάστασης: (*)", egatastash);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    return header;
}

// The kind of the statement, at the right of the tabs: between the header
// and the lists, where it takes no height of its own.
QWidget* MainWindow::BuildKindButtons(QWidget* parent)
{
    auto* kinds = new QWidget(parent);
    auto* layout = new QHBoxLayout(kinds);
    layout->setContentsMargins(0, 0, 4, 2);
    debitButton = new QRadioButton(Text(u"&Χρεωστικά Τιμολόγια"), kinds);
    debitButton->setObjectName(handle::Name(handle::kDebitButton));
    debitButton->setChecked(true);
    creditButton = new QRadioButton(Text(u"Π&ιστωτικά Υπόλοιπα"), kinds);
    creditButton->setObjectName(handle::Name(handle::kCreditButton));
    connect(debitButton, &QRadioButton::clicked, this, [this] { Run([&] { statement_->ChooseKind(false); }); });
    connect(creditButton, &QRadioButton::clicked, this, [this] { Run([&] { statement_->ChooseKind(true); }); });
    for (QRadioButton* button : {debitButton, creditButton})
        AddLatinMnemonic(
            this, button->text(), [button] { return button->isEnabled() && button->isVisible(); },
            [button] {
                button->setFocus(Qt::ShortcutFocusReason);
                button->click();
            });
    layout->addWidget(debitButton);
    layout->addSpacing(12);
    layout->addWidget(creditButton);
    return kinds;
}

QWidget* MainWindow::BuildTab(TSide side)
{
    bool customers = side == TSide::Customers;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    CounterpartyGrid* grid = new CounterpartyGrid(*statement_, side, page);
    (customers ? customerGrid : supplierGrid) = grid;
    grid->setToolTip(customers ? Text(u"Στη στήλη ΥΠΟΧΡΕΟΣ γράφουμε 0 αν ο αντισυμβαλλόμενος \nέχει υποχρέωση "
                                      u"υποβολής συγκεντρωτικών καταστάσεων ή \n1 εάν δεν έχει")
                               : Text(u"Συμπληρώστε οπωσδήποτε τα πεδία ΑΦΜ, ΥΠΟΧΡΕΟΣ \n(0 αν ο αντισυμβαλλόμενος "
                                      u"έχει υποχρέωση υποβολής \nσυγκεντρωτικών καταστάσεων ή 1 εάν δεν έχει), "
                                      u"ΑΡΙΘΜΟΣ\nΤΙΜΟΛΟΓΙΩΝ και ΑΞΙΑ"));
    auto* navigator = new ListNavigator(*statement_, *grid, page);
    (customers ? customerNavigator : supplierNavigator) = navigator;

    auto* sort = new QPushButton(Text(u"Ταξινόμηση"), page);
    sort->setObjectName(customers ? handle::Name(handle::kCustomerSortButton)
                                  : handle::Name(handle::kSupplierSortButton));
    if (customers) sort->setToolTip(Text(u"Πατήστε για να ταξινομηθούν αλφαβητικά οι εγγραφές "));
    connect(sort, &QPushButton::clicked, this, customers ? &MainWindow::sortCustomers : &MainWindow::sortSuppliers);

    layout->addWidget(NavigatorCaptions(page));
    auto* bar = new QHBoxLayout;
    bar->addWidget(navigator);
    bar->addStretch();
    bar->addWidget(sort);
    layout->addLayout(bar);
    layout->addWidget(grid, 1);

    auto* bottom = new QHBoxLayout;
    QLabel* count = new QLabel(page);
    count->setObjectName(customers ? handle::Name(handle::kCustomerCountLabel)
                                   : handle::Name(handle::kSupplierCountLabel));
    (customers ? customerCountLabel : supplierCountLabel) = count;
    bottom->addWidget(count);
    bottom->addStretch();
    bottom->addWidget(new QLabel(Text(u"Σύνολα:"), page));
    for (const char* name : {customers ? "EditSum" : "EditSum2", customers ? "EditSumValue" : "EditSumValue2"}) {
        QLineEdit* total = ReadOnlyTotal(name, page);
        edits_.insert(QString::fromLatin1(name), total);
        bottom->addWidget(total);
    }
    bottom->addSpacing(16);
    bottom->addWidget(new QLabel(Text(u"Αξία Δημοσίου:"), page));
    QLineEdit* pub = AddEdit(page, customers ? "EditPub1" : "EditPub2", kEditPubMaxLength);
    pub->setFixedWidth(130);
    pub->setAlignment(Qt::AlignRight);
    bottom->addWidget(pub);
    layout->addLayout(bottom);
    return page;
}

// Where the desktop lets no program switch Caps Lock on (Wayland), the
// program gives its effect itself: a letter typed into one of its edits or
// grids arrives as a capital, with Shift as a small letter. File dialogs,
// where the lock is off, are left alone. The changed key goes through every
// filter as a typed key does.
bool MainWindow::TypeAsCapsLock(QObject* watched, QKeyEvent* event)
{
    const bool field = qobject_cast<QLineEdit*>(watched) || qobject_cast<QAbstractItemView*>(watched);
    if (!field || keyLed_->LocksAvailable() || qobject_cast<QFileDialog*>(static_cast<QWidget*>(watched)->window()))
        return false;
    const QString text = event->text();
    if (text.size() != 1 || !text.front().isLetter()) return false;
    const QString typed = event->modifiers().testFlag(Qt::ShiftModifier) ? text.toLower() : text.toUpper();
    if (typed == text) return false;
    QKeyEvent withLock(QEvent::KeyPress, event->key(), event->modifiers(), typed, event->isAutoRepeat(),
                       static_cast<quint16>(event->count()));
    QCoreApplication::sendEvent(watched, &withLock);
    return true;
}

// The size and place the user last gave the window, kept in the program
// directory's "window.ini"; the first time, the default size in the middle
// of the screen.
QString MainWindow::WindowSettingsPath() const
{
    return QFile::decodeName((statement_->ProgramDirectory() + "window.ini").c_str());
}

void MainWindow::RestoreGeometry()
{
    const QSettings settings(WindowSettingsPath(), QSettings::IniFormat);
    if (restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray())) return;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void MainWindow::KeepGeometry()
{
    QSettings(WindowSettingsPath(), QSettings::IniFormat).setValue(QStringLiteral("geometry"), saveGeometry());
}

// The welcome panel covers the whole client area, its picture and words in
// the middle, however large the window is.
void MainWindow::LayOutWelcomePanel()
{
    welcomePanel->setGeometry(centralWidget()->rect());
    auto* image = welcomePanel->findChild<QLabel*>(handle::Name(handle::kWelcomePicture));
    auto* label = welcomePanel->findChild<QLabel*>(handle::Name(handle::kWelcomeText));
    const int middle = welcomePanel->width() / 2;
    image->move(middle - image->width() / 2, 50);
    label->move(middle - label->width() / 2, image->height() + 100);
}

void MainWindow::BuildWelcomePanel(QWidget* parent)
{
    welcomePanel = new QWidget(parent);
    welcomePanel->setObjectName(handle::Name(handle::kWelcomePanel));
    welcomePanel->setAutoFillBackground(true);
    welcomePanel->setGeometry(0, 0, kClientWidth, kClientHeight);
    auto* image = new QLabel(welcomePanel);
    image->setObjectName(handle::Name(handle::kWelcomePicture));
    QPixmap picture(QStringLiteral(":/pictures/welcome.png"));
    image->setPixmap(picture);
    image->resize(picture.size());
    auto* label =
        new QLabel(Text(u"Παρακαλώ επιλέξτε 'Αρχείο' - 'Νέο' ή 'Αρχείο' - Άνοιγμα' για να ξεκινήσετε"), welcomePanel);
    label->setObjectName(handle::Name(handle::kWelcomeText));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.2);
    font.setBold(true);
    label->setFont(font);
    label->adjustSize();
    LayOutWelcomePanel();
    welcomePanel->raise();
}

void MainWindow::UpdateTabMarks()
{
    QIcon active(QStringLiteral(":/pictures/tab-active.png"));
    QIcon inactive(QStringLiteral(":/pictures/tab-inactive.png"));
    for (int page = 0; page < tabs->count(); ++page)
        tabs->setTabIcon(page, page == tabs->currentIndex() ? active : inactive);
}

// -------------------------------------------------- the window follows the statement

void MainWindow::ReadFromStatement()
{
    if (reading_) return;
    reading_ = true;
    const TStatement& s = *statement_;
    auto show = [&](const char* name, const std::string& value) {
        QLineEdit* edit = edits_.value(QString::fromLatin1(name));
        QString text = QString::fromStdString(value);
        if (edit && edit->text() != text) edit->setText(text);
    };
    for (const auto& field : HeaderEdits()) show(field.Name().c_str(), s.Header().*(field.text));
    show("EditSum", s.InvoiceTotalText(TSide::Customers));
    show("EditSumValue", s.ValueTotalText(TSide::Customers));
    show("EditSum2", s.InvoiceTotalText(TSide::Suppliers));
    show("EditSumValue2", s.ValueTotalText(TSide::Suppliers));
    show("EditPub1", s.PublicValue(TSide::Customers));
    show("EditPub2", s.PublicValue(TSide::Suppliers));
    if (taxOfficeCombo->currentIndex() != s.Header().TaxOffice) taxOfficeCombo->setCurrentIndex(s.Header().TaxOffice);
    (s.Header().Credit ? creditButton : debitButton)->setChecked(true);
    customerCountLabel->setText(QString::fromStdString(s.CountText(TSide::Customers)));
    supplierCountLabel->setText(QString::fromStdString(s.CountText(TSide::Suppliers)));
    if (tabs->currentIndex() != s.ActivePage()) {
        QSignalBlocker block(tabs);
        tabs->setCurrentIndex(s.ActivePage());
    }
    UpdateTabMarks();
    for (QAction* action :
         {actionSaveAs, printMenuAction, actionPrintMenu, actionFind, actionImport, actionSort, actionCheck})
        action->setEnabled(s.StatementLoaded());
    welcomePanel->setVisible(!s.StatementLoaded());
    // What lies under the welcome panel takes no focus and checks nothing.
    headerArea_->setEnabled(s.StatementLoaded());
    tabs->setEnabled(s.StatementLoaded());
    ShowStatementInTitle();
    reading_ = false;
}

// The statement's file, as desktops show a document: its name, a "*" while
// it has unsaved changes; the application's title alone without a file.
void MainWindow::ShowStatementInTitle()
{
    if (fileName_.isEmpty()) {
        setWindowTitle(ApplicationTitle());
        setWindowModified(false);
        return;
    }
    setWindowTitle(QFileInfo(fileName_).fileName() + QStringLiteral(u"[*] — ") + ApplicationTitle());
    setWindowModified(statement_->UnsavedChanges());
}

// Where an output went, said in the status bar: the user reads it there
// without a box to dismiss.
void MainWindow::ReportWritten(const QString& what, const QString& path)
{
    statusBar()->showMessage(what + QDir::toNativeSeparators(path));
}

void MainWindow::NameStatementFile(const QString& path)
{
    fileName_ = path;
    ShowStatementInTitle();
    if (path.isEmpty()) return;
    recent_.Add(path);
    FillRecentMenu();
}

// "&1 path" and so on, newest first: the number is the entry's mnemonic.
void MainWindow::FillRecentMenu()
{
    recentMenu_->clear();
    int number = 0;
    for (const QString& path : recent_.Paths()) {
        const QString caption = QStringLiteral("&%1 ").arg(++number) + QDir::toNativeSeparators(path);
        connect(recentMenu_->addAction(caption), &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    recentMenu_->setEnabled(number > 0);
}

void MainWindow::openRecent(const QString& path)
{
    bool opened = false;
    const auto open = [&] {
        if (!MayReplaceStatement()) return false;
        if (!QFileInfo(path).isFile()) {
            recent_.Remove(path);
            FillRecentMenu();
            TDialogs::ShowMessage(this, QStringLiteral(u"Το αρχείο ") + QDir::toNativeSeparators(path) +
                                            QStringLiteral(u" δεν βρέθηκε· αφαιρέθηκε από τα πρόσφατα αρχεία."));
            return false;
        }
        return Completed(statement_->Open(QFile::encodeName(path).toStdString()));
    };
    if (!Run([&] { opened = open(); }) || !opened) return;
    NameStatementFile(path);
    FocusTheYear();
}

void MainWindow::StatementChanged() { ReadFromStatement(); }

bool MainWindow::Run(const std::function<void()>& handler)
{
    bool done = RunHandler(this, handler);
    ReadFromStatement();
    return done;
}

// ----------------------------------------------------------------- handlers

void MainWindow::newStatement()
{
    bool begun = false;
    // Only a clear Yes starts afresh: the close box is no answer.
    const auto askNew = [this] {
        return AskConfirmation("Δημιουργία νέου αρχείου;", {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) ==
               mrYes;
    };
    if (!Run([&] { begun = MayReplaceStatement() && askNew() && Completed(statement_->New()); }) || !begun) return;
    NameStatementFile({});
    customerGrid->FollowStore();
    FocusTheYear();
}

// A statement begun or opened is typed from its first field: what the user
// types next is the year, without a Tab or a click first.
void MainWindow::FocusTheYear()
{
    activateWindow();
    edits_.value(QStringLiteral("YearOfData"))->setFocus(Qt::OtherFocusReason);
}

void MainWindow::OfferRecovery()
{
    Run([&] {
        const auto left = statement_->LeftWork();
        if (!left) return;
        const QString changed = QDateTime::fromSecsSinceEpoch(*left).toString(QStringLiteral("dd/MM/yyyy HH:mm"));
        const std::string question = "Βρέθηκαν στοιχεία κατάστασης που δεν αποθηκεύτηκαν (" + changed.toStdString() +
                                     "). Θέλετε να τα ανακτήσετε;";
        // Only a clear Yes takes them back; any other answer keeps them aside.
        const bool takeBack = AskConfirmation(question, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) == mrYes;
        Completed(statement_->Recover(takeBack));
    });
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->FollowStore();
}

void MainWindow::openStatement()
{
    bool opened = false;
    const auto chooseAndOpen = [this] {
        if (!MayReplaceStatement()) return false;
        const auto path = ChooseOpenFile();
        return path && Completed(statement_->Open(*path));
    };
    if (!Run([&] { opened = chooseAndOpen(); }) || !opened) return;
    NameStatementFile(chosenFile_);
    FocusTheYear();
}
void MainWindow::saveStatementAs()
{
    bool written = false;
    if (Run([&] { written = SaveAsAsked(); }) && written) NameStatementFile(chosenFile_);
}

// Save As as the user meets it: the checks, the file dialog, the question
// before a file is replaced, and only then the writing.
bool MainWindow::SaveAsAsked()
{
    if (Refused(statement_->CheckBeforeSave())) return false;
    const auto path = ChooseSaveFile(statement_->ProposedFileName());
    if (!path) return false;
    const std::string name = DisplayPath(path->substr(path->rfind('/') + 1));
    // Only a clear Yes replaces a file: the close box is no answer.
    if (FileExists(*path) && AskConfirmation("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " + name + ";",
                                             {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, {"Ναι", "Όχι"}) != mrYes)
        return false;
    return Completed(statement_->SaveAs(*path, true));
}

// Asked before anything replaces the statement being edited (close, New,
// Open) while it has unsaved changes; false: stop, nothing replaced. A save
// that did not happen (refused, cancelled, failed) stops too: going on would
// lose the typed statement.
bool MainWindow::MayReplaceStatement()
{
    if (!statement_->UnsavedChanges()) return true;
    const int answer =
        AskConfirmation("Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;",
                        {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}, {"Ναι", "Όχι", "Άκυρο"});
    if (answer == mrCancel) return false;
    return answer != mrYes || SaveAsAsked();
}
void MainWindow::exitProgram() { close(); }
void MainWindow::findCounterparty()
{
    Run([&] {
        if (Refused(statement_->PostPendingRows())) return;
        if (const auto request = AskFind()) Tell(statement_->Find(*request));
    });
}

void MainWindow::sortCustomers()
{
    Run([&] { Tell(statement_->SortList(TSide::Customers)); });
}
void MainWindow::sortSuppliers()
{
    Run([&] { Tell(statement_->SortList(TSide::Suppliers)); });
}

void MainWindow::changeTab(int index)
{
    if (reading_) return;
    // The grid being left gives up its editor first, as leaving it does.
    Grid(index == 0 ? TSide::Suppliers : TSide::Customers)->CommitEditor();
    Run([&] { Tell(statement_->ChangeTab(index)); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (closing_) return event->accept();
    for (TSide side : {TSide::Customers, TSide::Suppliers}) Grid(side)->CommitEditor();
    bool close = false;
    Run([&] {
        close = MayReplaceStatement();
        if (close) statement_->Close();
    });
    if (!close) return event->ignore();
    closing_ = true;
    KeepGeometry();
    capsLock_->Restore();
    event->accept();
}

// ----------------------------------------------------- the edits of the window

void MainWindow::EditTextEdited(QLineEdit* edit, const QString& text)
{
    if (!ToCp1253(text)) return;  // the validator holds such texts off
    const std::string value = text.toStdString();
    auto control = FieldWithHandle(edit->objectName().toStdString());
    if (!control) return;
    RunHandler(this, [&] {
        if (*control == TStatementField::CustomerPublicValue)
            statement_->SetPublicValueText(TSide::Customers, value);
        else if (*control == TStatementField::SupplierPublicValue)
            statement_->SetPublicValueText(TSide::Suppliers, value);
        else
            statement_->SetHeaderText(*control, value);
    });
}

bool MainWindow::EditKeyPress(QLineEdit* edit, QKeyEvent* event)
{
    int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return false;  // focus moves on
    QChar typed;
    if (key == Qt::Key_Backspace)
        typed = QChar(8);
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        typed = QChar(13);
    else if (!event->text().isEmpty() && event->text().at(0).isPrint())
        typed = event->text().at(0);
    else
        return false;  // keys that make no character

    auto control = FieldWithHandle(edit->objectName().toStdString());
    if (!control) return false;
    auto byte = KeyToCp1253(typed);
    auto current = ToCp1253(edit->text());
    std::optional<char> accepted =
        statement_->FieldKeyPress(*control, current ? byte : std::nullopt, current.value_or(""));
    if (!accepted) {
        Beep();
        return true;
    }
    if (*accepted == *byte) return false;
    edit->insert(FromCp1253(std::string(1, *accepted)));  // the filter changed the key
    EditTextEdited(edit, edit->text());
    return true;
}

// A refused field is told, with a beep when it has one, and takes the focus back.
bool MainWindow::Passed(const std::optional<THeaderRefusal>& refusal)
{
    if (!refusal) return true;
    if (refusal->beep) Beep();
    ShowMessage(refusal->message);
    SetFocus(refusal->control);
    return false;
}

void MainWindow::EditExit(QLineEdit* edit)
{
    if (edit == skipExit_) {
        skipExit_ = nullptr;
        return;
    }
    if (inExit_ || closing_) return;
    inExit_ = true;
    QWidget* gained = QApplication::focusWidget();
    QString name = edit->objectName();
    bool passed = true;
    if (name == QStringLiteral("YearOfData"))
        passed = Passed(statement_->LeaveYear());
    else if (name == QStringLiteral("AFM"))
        passed = Passed(statement_->LeaveTaxNumber());
    else if (name == QStringLiteral("EditPub1"))
        Run([&] { statement_->LeavePublicValue(TSide::Customers); });
    else if (name == QStringLiteral("EditPub2"))
        Run([&] { statement_->LeavePublicValue(TSide::Suppliers); });
    // The control that had just taken the focus gives it back at once; it
    // was never really entered, so it is not checked on the way out.
    if (!passed && gained && gained != edit) skipExit_ = gained;
    inExit_ = false;
}

void MainWindow::FocusChanged(QWidget* old, QWidget* now)
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        CounterpartyGrid* grid = Grid(side);
        bool wasIn = old && (old == grid || grid->isAncestorOf(old));
        bool isIn = now && (now == grid || grid->isAncestorOf(now));
        if (wasIn && !isIn && now) RunHandler(this, [&] { grid->LeaveGrid(); });
    }
}

// F10 opens the menu, as on the common Linux desktops.
bool MainWindow::OpenMenuByKey(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::NoModifier || !widget || widget->window() != this)
        return false;
    if (!menuBar()->actions().isEmpty()) menuBar()->setActiveAction(menuBar()->actions().first());
    return true;
}

// A line edit claims some keys of the menus for its editing (on X11, Ctrl+E
// moves to the end of the line): in this window, a header field or a cell
// being edited, they are the menus' keys, as the manual says.
bool MainWindow::MenuShortcutInAnEdit(QObject* watched, QEvent* event) const
{
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || edit->window() != this) return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    const QList<QAction*> actions = findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&](const QAction* action) {
        return action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed;
    });
}

// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp switch the lists from
// anywhere in the window, before a grid takes Ctrl+Tab for a cell move. The
// switch is the one a click on the tab makes: the pending row is posted first.
bool MainWindow::SwitchListByKey(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || !tabs->isEnabled()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier) || (key->modifiers() & Qt::AltModifier)) return false;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    int step = 0;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        step = shift || key->key() == Qt::Key_Backtab ? -1 : 1;
    else if (!shift && (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp))
        step = key->key() == Qt::Key_PageDown ? 1 : -1;
    if (step == 0) return false;
    const int count = tabs->count();
    const int target = (tabs->currentIndex() + step + count) % count;
    tabs->setCurrentIndex(target);
    if (tabs->currentIndex() == target) Grid(target == 0 ? TSide::Customers : TSide::Suppliers)->setFocus();
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && TypeAsCapsLock(watched, static_cast<QKeyEvent*>(event))) return true;
    if (event->type() == QEvent::Resize && watched == centralWidget() && welcomePanel) LayOutWelcomePanel();
    // A key marks the statement changed as it is handled: the title's "*"
    // follows once it has been.
    if (event->type() == QEvent::KeyRelease && isWindowModified() != statement_->UnsavedChanges() &&
        !fileName_.isEmpty())
        setWindowModified(statement_->UnsavedChanges());
    if (OpenMenuByKey(watched, event)) return true;
    if (SwitchListByKey(watched, event)) return true;
    if (MenuShortcutInAnEdit(watched, event)) return true;  // left to the menu
    if (event->type() == QEvent::Wheel) {
        for (TSide side : {TSide::Customers, TSide::Suppliers}) {
            CounterpartyGrid* grid = Grid(side);
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget || !(widget == grid || grid->isAncestorOf(widget))) continue;
            auto* wheel = static_cast<QWheelEvent*>(event);
            // Toward the user (a negative or zero turn) is one row down.
            int key = wheel->angleDelta().y() <= 0 ? Qt::Key_Down : Qt::Key_Up;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(grid, &press);
            return true;
        }
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || !edits_.contains(edit->objectName()) || edits_.value(edit->objectName()) != edit) return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (edit->isReadOnly()) {  // the totals take no key
            bool character = !key->text().isEmpty() && key->text().at(0).isPrint();
            if (character || key->key() == Qt::Key_Backspace) TDialogs::Beep();
            return character || key->key() == Qt::Key_Backspace;
        }
        return EditKeyPress(edit, key);
    }
    if (event->type() == QEvent::FocusOut) {
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, [this, edit] { EditExit(edit); });
    }
    return false;
}

// ------------------------------------------------------ what the user is told

void MainWindow::Tell(const TNotice& notice)
{
    if (notice.cell) Grid(notice.cell->side)->ShowRefusedField(notice.cell->column);
    if (notice.beep) Beep();
    // A progress window left open would show itself above the box a second
    // into its wait and take the keys meant for the box: it goes first.
    ProgressDone();
    const QString text = QString::fromStdString(notice.text);
    switch (notice.kind) {
    case TNotice::TKind::Message: TDialogs::ShowMessage(this, text); break;
    case TNotice::TKind::Warning: TDialogs::ShowWarning(this, text); break;
    case TNotice::TKind::Error: TDialogs::ShowError(this, text); break;
    }
    if (notice.focus) SetFocus(*notice.focus);
}

void MainWindow::Tell(const std::optional<TNotice>& notice)
{
    if (notice) Tell(*notice);
}

bool MainWindow::Refused(const std::optional<TNotice>& refusal)
{
    Tell(refusal);
    return refusal.has_value();
}

bool MainWindow::Completed(const TOutcome& outcome)
{
    for (const TNotice& notice : outcome.notices) Tell(notice);
    return outcome.done;
}

void MainWindow::Beep() { TDialogs::Beep(); }
void MainWindow::ShowMessage(const std::string& text) { Tell(TNotice::Message(text)); }

int MainWindow::AskConfirmation(const std::string& text, const std::vector<TMsgDlgBtn>& buttons,
                                const std::vector<std::string>& captions)
{
    ProgressDone();
    QStringList shown;
    for (const auto& caption : captions) shown << QString::fromStdString(caption);
    return TDialogs::AskConfirmation(this, QString::fromStdString(text), buttons, shown);
}

void MainWindow::SetFocus(TStatementField control)
{
    const std::string_view name = FieldHandle(control);
    if (auto* widget = findChild<QWidget*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))))
        widget->setFocus(Qt::OtherFocusReason);
}

// The dialogs start where the user last chose a file, not in the program's
// own folder, where its working files are shown.
std::optional<std::string> MainWindow::ChooseSaveFile(const std::string& proposedName)
{
    TCapsLockOff typedNamesAsTyped(keyLed_);
    return Chosen(TDialogs::SaveFileName(this, TDialogs::StartFolder(), QString::fromStdString(proposedName)),
                  chosenFile_);
}

std::optional<std::string> MainWindow::ChooseWorkbook()
{
    TCapsLockOff typedNamesAsTyped(keyLed_);
    return Chosen(TDialogs::WorkbookFileName(this, TDialogs::StartFolder()), chosenWorkbook_);
}

// Shown only when the work takes more than a second; the user's Cancel is
// heard at the next row.
bool MainWindow::Progress(const std::string& what, int done, int total)
{
    if (!progress_) {
        progress_ = new QProgressDialog(this);
        progress_->setWindowTitle(ApplicationTitle());
        progress_->setCancelButtonText(QStringLiteral(u"Διακοπή"));
        progress_->setMinimumDuration(1000);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
    }
    if (total == 0) {
        // Work of unknown length (a workbook being read): a busy bar without a
        // count, shown after the usual second. Until then the user's input
        // waits; afterwards the dialog's modality keeps it off the window.
        if (progress_->maximum() != 0) {
            progress_->setRange(0, 0);
            progress_->setValue(0);  // starts the timer that shows the dialog
        }
        progress_->setLabelText(QString::fromStdString(what));
        QCoreApplication::processEvents(progress_->isVisible() ? QEventLoop::AllEvents
                                                               : QEventLoop::ExcludeUserInputEvents);
        // What ran meanwhile may have closed it (a message box closes it
        // first): then there is no "Διακοπή" to read.
        return !progress_ || !progress_->wasCanceled();
    }
    if (done % 256 != 0 && done + 1 != total) return !progress_->wasCanceled();
    progress_->setMaximum(total);
    progress_->setLabelText(QString::fromStdString(what) + QStringLiteral(u": %1 από %2").arg(done).arg(total));
    progress_->setValue(done);  // runs the window's events, as the wait above does
    return !progress_ || !progress_->wasCanceled();
}

void MainWindow::ProgressDone()
{
    // Deleted once its own events are over: a message box may close it from
    // inside them (its timer shows it, the focus leaves a grid, the pending
    // row's refusal is shown).
    if (!progress_) return;
    progress_->reset();  // stops the timer that would show it a second after it began
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
}

std::optional<std::string> MainWindow::ChooseOpenFile()
{
    TCapsLockOff typedNamesAsTyped(keyLed_);
    return Chosen(TDialogs::OpenFileName(this, TDialogs::StartFolder()), chosenFile_);
}

void MainWindow::ShowHourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void MainWindow::BeginLongWork()
{
    focusBeforeWork_ = QApplication::focusWidget();
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        Grid(side)->hide();
        Navigator(side)->hide();
    }
    wait_->ShowNow();
}

void MainWindow::EndLongWork()
{
    for (TSide side : {TSide::Customers, TSide::Suppliers}) {
        Grid(side)->show();
        Navigator(side)->show();
    }
    wait_->hide();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    activateWindow();
    if (focusBeforeWork_) focusBeforeWork_->setFocus(Qt::OtherFocusReason);
}

std::optional<TFindRequest> MainWindow::AskFind()
{
    std::optional<TFindRequest> queued;
    if (!TDialogs::TakeQueuedFind(queued)) {
        findDialog_->exec();
        if (findDialog_->Cancelled) return std::nullopt;
        auto text = ToCp1253(findDialog_->SearchText);
        if (!text) return std::nullopt;
        return TFindRequest{*text, findDialog_->ByAFM, findDialog_->PartialMatch};
    }
    return queued;
}

}  // namespace epinax::ui
