#include "firmware/TFModifyFileSx.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "flasher/FlasherPorts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The patch reports every line; the bar is redrawn only when it visibly moves.
class BarProgress : public PatchProgress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void setMaximum(qint64 maximum) override {
        maximum_ = qMax<qint64>(1, maximum);
        bar_->setMaximum(int(qMin<qint64>(maximum_, INT_MAX)));
    }
    void setPosition(qint64 position) override {
        if (position != 0 && position < maximum_ && position - shown_ < maximum_ / 200)
            return;
        shown_ = position;
        bar_->setValue(int(qMin<qint64>(position, bar_->maximum())));
    }

private:
    QProgressBar* bar_;
    qint64 maximum_ = 1;
    qint64 shown_ = 0;
};

} // namespace

class TFModifyFileSx::LauncherSwitch : public FlasherLauncher {
public:
    QString start(const QString& program, const QByteArray& parameter,
                  const QString& workingFolder) override {
        return (injected ? *injected : real).start(program, parameter, workingFolder);
    }
    WatchedFlasherLauncher real;
    FlasherLauncher* injected = nullptr;
};

TFModifyFileSx::TFModifyFileSx(const Workspace& ws, Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ws_(ws),
      prompter_(prompter), launcher_(std::make_unique<LauncherSwitch>()),
      update_(std::make_unique<FirmwareUpdate>(ws, prompter, *launcher_)) {
    setWindowTitle(QStringLiteral("Generate Firmware"));
    setModal(true);

    cbport = new QComboBox(this);
    for (int i = 0; i < 8; ++i)
        cbport->addItem(PortCaption(i, {}));
    LbButton2 = new QPushButton(QStringLiteral("Execute update firmware"), this);
    LbButton1 = new QPushButton(QStringLiteral("X"), this);
    Avanzamento = new QProgressBar(this);
    Avanzamento->setMinimum(0);
    NewFileSx = new QLineEdit(this);
    Label3 = new QLabel(QStringLiteral("Name new Firmware:"), this);
    OpenFile = new QPushButton(QStringLiteral("Open Firmware"), this);
    Options = new QPushButton(QStringLiteral("Options>>"), this);
    GbBank = new QGroupBox(this);
    Cbbank1 = new QCheckBox(QStringLiteral("Bank 1"), GbBank);
    Cbbank2 = new QCheckBox(QStringLiteral("Bank 2"), GbBank);
    Cbbank3 = new QCheckBox(QStringLiteral("Bank 3"), GbBank);
    Cbbank4 = new QCheckBox(QStringLiteral("Bank 4"), GbBank);
    Cbbank5 = new QCheckBox(QStringLiteral("Bank 5"), GbBank);
    DirFileBin = new QPushButton(QStringLiteral("Directory File Bin"), this);
    ExeModFileSx = new QPushButton(QStringLiteral("Execute Modify File Sx"), this);
    ExeUpdateFir = new QPushButton(QStringLiteral("Execute update firmware"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{NewFileSx, Label3, OpenFile, Options, GbBank,
                                                      DirFileBin, ExeModFileSx, ExeUpdateFir})
        w->setVisible(false);

    auto* bankLayout = new QHBoxLayout(GbBank);
    for (QCheckBox* box : bankBoxes())
        bankLayout->addWidget(box);

    LbButton1->setFixedSize(28, 28);
    LbButton1->setToolTip(QStringLiteral("Close"));
    LbButton2->setMinimumSize(220, 34);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    // An empty status line would leave a blank band under the bar.
    status_->setVisible(false);
    // The flasher aligns its report with blanks, so it reads only in a fixed-pitch font.
    report_ = new QLabel(this);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    report_->setVisible(false);

    auto* heading = new QLabel(QStringLiteral("Firmware update"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.2);
    heading->setFont(headingFont);
    auto* portLabel = new QLabel(QStringLiteral("Port of the device:"), this);
    portLabel->setBuddy(cbport);

    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch();
    top->addWidget(LbButton1, 0, Qt::AlignTop);
    auto* port = new QHBoxLayout;
    port->addWidget(portLabel);
    port->addWidget(cbport);
    port->addSpacing(16);
    port->addWidget(LbButton2, 1);
    auto* name = new QHBoxLayout;
    name->addWidget(Label3);
    name->addWidget(NewFileSx);
    name->addWidget(OpenFile);
    auto* hidden = new QHBoxLayout;
    hidden->addWidget(Options);
    hidden->addWidget(GbBank);
    hidden->addWidget(DirFileBin);
    hidden->addWidget(ExeModFileSx);
    hidden->addWidget(ExeUpdateFir);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 16);
    layout->addLayout(top);
    layout->addLayout(port);
    layout->addWidget(Avanzamento);
    layout->addWidget(status_);
    layout->addWidget(report_);
    layout->addLayout(name);
    layout->addLayout(hidden);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(460);
    NameControls({{cbport, "cbport"},
                  {LbButton2, "LbButton2"},
                  {LbButton1, "LbButton1"},
                  {Avanzamento, "Avanzamento"},
                  {NewFileSx, "NewFileSx"},
                  {Label3, "Label3"},
                  {OpenFile, "OpenFile"},
                  {Options, "Options"},
                  {GbBank, "GbBank"},
                  {Cbbank1, "Cbbank1"},
                  {Cbbank2, "Cbbank2"},
                  {Cbbank3, "Cbbank3"},
                  {Cbbank4, "Cbbank4"},
                  {Cbbank5, "Cbbank5"},
                  {DirFileBin, "DirFileBin"},
                  {ExeModFileSx, "ExeModFileSx"},
                  {ExeUpdateFir, "ExeUpdateFir"}});
    // No default and no cancel button: only "X" closes the dialog.
    ApplyButtonKeys(this, nullptr, nullptr);

    connect(LbButton2, &QPushButton::clicked, this, &TFModifyFileSx::LbButton2Click);
    connect(LbButton1, &QPushButton::clicked, this, &TFModifyFileSx::LbButton1Click);
    connect(OpenFile, &QPushButton::clicked, this, &TFModifyFileSx::OpenFileClick);
    connect(Options, &QPushButton::clicked, this, &TFModifyFileSx::OptionsClick);
    connect(DirFileBin, &QPushButton::clicked, this, &TFModifyFileSx::DirFileBinClick);
    connect(ExeModFileSx, &QPushButton::clicked, this, [this] { ExeModFileSxClick(); });
    connect(ExeUpdateFir, &QPushButton::clicked, this, &TFModifyFileSx::ExeUpdateFirClick);
    connect(&launcher_->real, &WatchedFlasherLauncher::finished, this,
            &TFModifyFileSx::flasherFinished);
    connect(NewFileSx, &QLineEdit::textChanged, this, &TFModifyFileSx::NewFileSxChange);
}

TFModifyFileSx::~TFModifyFileSx() = default;

void TFModifyFileSx::setLauncher(FlasherLauncher* launcher) {
    launcher_->injected = launcher;
}

QList<QCheckBox*> TFModifyFileSx::bankBoxes() const {
    return {Cbbank1, Cbbank2, Cbbank3, Cbbank4, Cbbank5};
}

void TFModifyFileSx::clearMarks() {
    for (QCheckBox* box : bankBoxes()) {
        box->setAutoFillBackground(false);
        box->setPalette(palette());
    }
}

bool TFModifyFileSx::isMarked(const QCheckBox* box) const {
    return box->autoFillBackground() && box->palette().color(QPalette::Window) == Qt::red;
}

void TFModifyFileSx::showEvent(QShowEvent* event) {
    // Until the first showing the list is sized to its contents anyway; following them as
    // the captions change builds the popup, which start-up need not pay for.
    cbport->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QDialog::showEvent(event);
    if (!event->spontaneous()) // a restore from minimised keeps the chosen port
        FormShow();
}

void TFModifyFileSx::FormShow() {
    Options->setText(QStringLiteral("Options >>"));
    GbBank->setVisible(false);
    DirFileBin->setVisible(false);

    // Centred across, in the upper half of the screen.
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + s.width() / 2 - width() / 2, s.y() + s.height() / 2 - height());
    }

    if (ProductVariant == 2 || ProductVariant == 3) {
        Cbbank1->setVisible(true);
        Cbbank1->setChecked(true);
        Cbbank2->setVisible(true);
        Cbbank2->setChecked(true);
        Cbbank3->setVisible(false);
        Cbbank4->setVisible(false);
        Cbbank5->setVisible(false);
        clearMarks();
    }

    // The fixed COM names with the serial port present for each, looked up at each opening (a
    // USB adapter is often plugged in late); the flasher still gets the zero-based index and
    // maps it by the same rule.
    const QList<PresentSerialPort> present = PresentSerialPorts();
    for (int i = 0; i < cbport->count(); ++i)
        cbport->setItemText(i, PortCaption(i, present));
    cbport->setCurrentIndex(0);
    setProgressFailed(false);
    Avanzamento->setValue(0);
    setStatus(QString());
    LbButton2->setEnabled(false);
    if (update_->prepare()) {
        NewFileSx->setText(update_->newFileName());
        LbButton2->setEnabled(true);
    }
}

void TFModifyFileSx::LbButton2Click() {
    // One flasher on a port at a time: a second press while it runs starts nothing.
    if (launcher_->real.running())
        return;
    setProgressFailed(false);
    Avanzamento->setValue(0);
    const std::optional<int> result = ExeModFileSxClick();
    if (!result)
        return;
    // Only a patch that placed the bank in this run leads to the flasher.
    if (*result == 1) {
        startFlasher();
    } else {
        setProgressFailed(true);
        if (*result == 0)
            update_->reportBankNotFound();
    }
}

void TFModifyFileSx::setProgressFailed(bool failed) {
    Avanzamento->setProperty("failed", failed);
    Avanzamento->setFormat(failed ? QStringLiteral("Failed") : QStringLiteral("%p%"));
    QPalette palette = Avanzamento->palette();
    palette.setColor(QPalette::Highlight, failed
                                              ? QColor(0xB0, 0x20, 0x20)
                                              : QApplication::palette().color(QPalette::Highlight));
    Avanzamento->setPalette(palette);
}

void TFModifyFileSx::startFlasher() {
    if (launcher_->real.running())
        return;
    if (!update_->readyToFlash()) {
        setProgressFailed(true);
        return;
    }
    // What is shown is decoded from the file that will be flashed, not from the project.
    const QString port = QStringLiteral("COM%1").arg(cbport->currentIndex() + 1);
    const Result<QString> summary = update_->flashSummary(port);
    if (!summary) {
        setProgressFailed(true);
        prompter_.error(summary.error());
        return;
    }
    if (!prompter_.question(windowTitle(), *summary)) {
        setStatus(QStringLiteral("Not flashed."));
        return;
    }
    if (!update_->startFlasher(cbport->currentIndex())) {
        setProgressFailed(true);
        return;
    }
    setStatus(
        QStringLiteral("VidodIzuze.exe started on %1 with %2").arg(port, update_->newFileName()));
    if (launcher_->injected == nullptr && launcher_->real.running()) {
        LbButton2->setEnabled(false);
        ExeUpdateFir->setEnabled(false);
        setStatus(status_->text() + QStringLiteral(": running..."));
    }
}

void TFModifyFileSx::flasherFinished(int exitStatus) {
    LbButton2->setEnabled(true);
    ExeUpdateFir->setEnabled(true);
    const QString outcome =
        exitStatus == 0  ? QStringLiteral("VidodIzuze.exe ended: done (status 0).")
        : exitStatus < 0 ? QStringLiteral("VidodIzuze.exe did not end normally.")
                         : QStringLiteral("VidodIzuze.exe ended with status %1.").arg(exitStatus);
    if (exitStatus != 0)
        setProgressFailed(true);
    setStatus(outcome);
    const QStringList lines = launcher_->real.lastLines(6);
    report_->setText(lines.join(QLatin1Char('\n')));
    report_->setVisible(!lines.isEmpty());
}

void TFModifyFileSx::setStatus(const QString& text) {
    status_->setText(text);
    status_->setVisible(!text.isEmpty());
    report_->clear();
    report_->setVisible(false);
}

QString TFModifyFileSx::statusText() const {
    return report_->text().isEmpty() ? status_->text()
                                     : status_->text() + QLatin1Char('\n') + report_->text();
}

void TFModifyFileSx::LbButton1Click() {
    close();
}

std::optional<int> TFModifyFileSx::ExeModFileSxClick() {
    clearMarks();
    setStatus(QString());
    ExeModFileSx->setEnabled(false);
    std::optional<int> result;
    // Bank 1's own visibility setting counts, whatever the hidden panel around it.
    if (!Cbbank1->isHidden() && Cbbank1->isChecked()) {
        BarProgress progress(Avanzamento);
        result = update_->patch(progress);
        // Full only for a patch that placed the bank; any other end is a failed step.
        if (*result == 1)
            Avanzamento->setValue(Avanzamento->maximum());
        else
            setProgressFailed(true);
        if (*result == 0) {
            QPalette red = Cbbank1->palette();
            red.setColor(QPalette::Window, Qt::red);
            Cbbank1->setAutoFillBackground(true);
            Cbbank1->setPalette(red);
        }
    } else {
        update_->removePerBankFiles();
    }
    ExeModFileSx->setEnabled(true);
    return result;
}

void TFModifyFileSx::ExeUpdateFirClick() {
    startFlasher();
}

void TFModifyFileSx::NewFileSxChange() {
    update_->setNewFileName(NewFileSx->text());
}

void TFModifyFileSx::OptionsClick() {
    const bool show = GbBank->isHidden();
    GbBank->setVisible(show);
    DirFileBin->setVisible(show);
    Options->setText(show ? QStringLiteral("<< Options") : QStringLiteral("Options >>"));
}

void TFModifyFileSx::OpenFileClick() {
    const QString folder =
        QFileInfo(ws_.MasterFolder).isDir() ? ws_.MasterFolder : ws_.ProgramFolder;
    const std::optional<QString> chosen = prompter_.chooseOpenFile(
        QStringLiteral("Open Firmware"), folder, QStringLiteral("File Sx (*.Sx)"));
    if (!chosen)
        return;
    update_->chooseFirmware(*chosen);
    NewFileSx->setText(update_->newFileName());
    LbButton2->setEnabled(true);
}

void TFModifyFileSx::DirFileBinClick() {
    const std::optional<QString> chosen = prompter_.chooseFolder(
        QStringLiteral("Select Directory Bin"), QString(), ws_.ProjectFolder);
    if (chosen)
        update_->setBinFolder(*chosen);
}
