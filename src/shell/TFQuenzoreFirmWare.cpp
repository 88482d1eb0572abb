#include "shell/TFQuenzoreFirmWare.h"

#include "check/ProjectCheck.h"
#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "editors/TFGridTable.h"
#include "editors/TFInfopdo.h"
#include "editors/TFWemcy.h"
#include "editors/TFemcy.h"
#include "firmware/TFModifyFileSx.h"
#include "image/ImageWriters.h"
#include "info/TFAbout.h"
#include "info/TFHelp.h"
#include "parameters/PargenSchema.h"
#include "parameters/TFSNMP.h"
#include "parameters/TFSetVar.h"
#include "parameters/TFpargen.h"
#include "ping/PingDevice.h"
#include "ping/TFPing.h"
#include "project/XmlDocument.h"
#include "shell/TFsaveproj.h"
#include "tools/TFSELstringhe.h"
#include "tools/TFXML.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

TFQuenzoreFirmWare::TFQuenzoreFirmWare(Workspace& ws, Prompter& prompter,
                                       const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ws_(ws),
      prompter_(prompter) {
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    Label1 = new QLabel(QStringLiteral("Step 1"), this);
    Label2 = new QLabel(QStringLiteral("Step 2"), this);
    Label3 = new QLabel(QStringLiteral("Step 3"), this);
    New = makeButton(QStringLiteral("New project"), true);
    open = makeButton(QStringLiteral("Open project"), true);
    btn_Prm_Gen = makeButton(QStringLiteral("General Parameter"), true);
    CreateBin = makeButton(QStringLiteral("Update Device"), true);
    about = makeButton(QStringLiteral("About"), true);
    LbButton1 = makeButton(QStringLiteral("X"), true);
    CreateSx = makeButton(QStringLiteral("Generate Firmware"), false);
    btn_Translate = makeButton(QStringLiteral("Translate Table"), false);
    btn_Emcy_Wd = makeButton(QStringLiteral("Define EMCY Word"), false);
    btn_Pdo = makeButton(QStringLiteral("Set Traslate PDO"), false);
    btn_Emcy = makeButton(QStringLiteral("Set Traslate EMCY"), false);
    btn_Info_Pdo = makeButton(QStringLiteral("Define store PDO"), false);
    Label6 = new QLabel(this);
    Label6->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                        .arg(kProductWebPage.toString(), kProductWebPage.host()));
    Label6->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(Label6, &QLabel::linkActivated, this, [this] { Label6Click(); });

    GroupBox1 = new QGroupBox(QStringLiteral("Ping Device"), this);
    Edit1 = new QLineEdit(QStringLiteral("0.0.0.0"), GroupBox1);
    Btn_Ping = new QPushButton(QStringLiteral("Ping Device"), GroupBox1);
    auto* pingLayout = new QHBoxLayout(GroupBox1);
    pingLayout->addWidget(Edit1);
    pingLayout->addWidget(Btn_Ping);
    GroupBox1->setVisible(false);
    Labelstate = new QLabel(QStringLiteral("---"), this);
    Labelstate->setVisible(false);

    connect(New, &QPushButton::clicked, this, &TFQuenzoreFirmWare::NewClick);
    connect(open, &QPushButton::clicked, this, &TFQuenzoreFirmWare::openClick);
    for (QPushButton* b :
         {btn_Prm_Gen, btn_Translate, btn_Emcy_Wd, btn_Pdo, btn_Emcy, btn_Info_Pdo, Btn_Ping})
        connect(b, &QPushButton::clicked, this, [this, b] { CommonCommand(b); });
    for (QPushButton* b : {CreateBin, CreateSx})
        connect(b, &QPushButton::clicked, this, [this, b] { RunDeviceUpdate(b); });
    connect(LbButton1, &QPushButton::clicked, this, &QWidget::close);
    connect(about, &QPushButton::clicked, this, &TFQuenzoreFirmWare::aboutClick);
    Ping1.OnReply = [this](const EchoReplyStatus& status) { Ping1Reply(status); };

    buildLayout();
    NameControls({{Label1, "Label1"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {New, "New"},
                  {open, "open"},
                  {btn_Prm_Gen, "btn_Prm_Gen"},
                  {CreateBin, "CreateBin"},
                  {about, "about"},
                  {LbButton1, "LbButton1"},
                  {Label6, "Label6"},
                  {CreateSx, "CreateSx"},
                  {btn_Translate, "btn_Translate"},
                  {btn_Emcy_Wd, "btn_Emcy_Wd"},
                  {btn_Pdo, "btn_Pdo"},
                  {btn_Emcy, "btn_Emcy"},
                  {btn_Info_Pdo, "btn_Info_Pdo"},
                  {GroupBox1, "GroupBox1"},
                  {Edit1, "Edit1"},
                  {Btn_Ping, "Btn_Ping"},
                  {Labelstate, "Labelstate"}});
    ApplyButtonKeys(this, nullptr, nullptr);

    const bool reopened = InitWorkspace(ws_, programFolder, DefaultInstalledFiles());
    setWindowTitle(reopened ? kTitlePrefix + QStringLiteral(" : ") + ws_.ProjectName
                            : kTitlePrefix);
    UpdateTranslateButton();
}

int TFQuenzoreFirmWare::ExecCentred(QDialog* d) {
    d->adjustSize();
    d->move(frameGeometry().center() - QPoint(d->width() / 2, d->height() / 2));
    return d->exec();
}

bool TFQuenzoreFirmWare::ProjectPassesCheck() {
    // What the composer refuses it reports itself, with its own words; the rest is shown here.
    QStringList errors, warnings;
    for (const Finding& f : CheckProject(ws_.ProjectFolder)) {
        if (f.composerReports)
            continue;
        (f.level == FindingLevel::Error ? errors : warnings) << FindingLine(f);
    }
    if (!errors.isEmpty()) {
        prompter_.error(QStringLiteral("The project cannot be updated:\n") +
                        (errors + warnings).join(QLatin1Char('\n')));
        return false;
    }
    if (!warnings.isEmpty())
        return prompter_.question(QStringLiteral("Update Device"),
                                  QStringLiteral("The project has warnings:\n") +
                                      warnings.join(QLatin1Char('\n')) +
                                      QStringLiteral("\n\nUpdate the device anyway?"));
    return true;
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette SecondaryTextPalette(QPalette palette) {
    // Set apart from the main texts, yet readable: the text colour moved towards the
    // background only as far as a 4.5:1 contrast allows.
    const QColor text = palette.color(QPalette::WindowText);
    const QColor back = palette.color(QPalette::Window);
    QColor chosen = text;
    for (double t = 0.05; t <= 0.6; t += 0.05) {
        const QColor mixed = QColor::fromRgbF(text.redF() + (back.redF() - text.redF()) * t,
                                              text.greenF() + (back.greenF() - text.greenF()) * t,
                                              text.blueF() + (back.blueF() - text.blueF()) * t);
        if (ContrastRatio(mixed, back) < 4.6)
            break;
        chosen = mixed;
    }
    palette.setColor(QPalette::WindowText, chosen);
    return palette;
}

QPushButton* TFQuenzoreFirmWare::makeButton(const QString& caption, bool visible) {
    auto* b = new QPushButton(caption, this);
    // Shown with the window unless hidden; an explicit show before the layout exists would
    // size the button on its own for nothing.
    if (!visible)
        b->hide();
    return b;
}

void TFQuenzoreFirmWare::buildLayout() {
    QFont stepFont = Label1->font();
    stepFont.setBold(true);
    stepFont.setPointSizeF(stepFont.pointSizeF() * 1.15);
    for (QLabel* l : {Label1, Label2, Label3}) {
        l->setFont(stepFont);
        l->setMinimumWidth(60);
    }
    for (QPushButton* b : {New, open, btn_Prm_Gen, CreateBin})
        b->setFixedSize(160, 34);
    LbButton1->setFixedSize(28, 28);
    LbButton1->setToolTip(QStringLiteral("Close"));
    about->setMinimumHeight(28);

    auto* title = new QLabel(QStringLiteral("Firmware Quenzor"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    auto* subtitle = new QLabel(QStringLiteral("Modbus TCP slave to Korvane gateway"), this);
    subtitle->setPalette(SecondaryTextPalette(subtitle->palette()));

    // The title bar carries the project; repeat it inside, where it is read at a glance.
    auto* project = new QLabel(this);
    auto showProject = [this, project] {
        project->setText(ws_.ProjectFolder.isEmpty() || ws_.ProjectFolder == ws_.ProjectsFolder
                             ? QStringLiteral("No project open")
                             : QStringLiteral("Project: ") + ws_.ProjectName);
    };
    connect(this, &QWidget::windowTitleChanged, project, showProject);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(subtitle);
    titles->addWidget(project);
    header->addLayout(titles);
    header->addStretch();
    header->addWidget(LbButton1, 0, Qt::AlignTop);

    auto line = [this] {
        auto* f = new QFrame(this);
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Sunken);
        return f;
    };

    auto* steps = new QGridLayout;
    steps->setHorizontalSpacing(14);
    steps->setVerticalSpacing(10);
    steps->addWidget(Label1, 0, 0);
    steps->addWidget(New, 0, 1);
    steps->addWidget(open, 0, 2);
    steps->addWidget(Label2, 1, 0);
    steps->addWidget(btn_Prm_Gen, 1, 1);
    auto hint = [this](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setPalette(SecondaryTextPalette(l->palette()));
        return l;
    };
    steps->addWidget(hint(QStringLiteral("Address, mask, port, baud rate")), 1, 2);
    steps->addWidget(Label3, 2, 0);
    steps->addWidget(CreateBin, 2, 1);
    steps->addWidget(hint(QStringLiteral("Compose, merge and flash")), 2, 2);
    steps->addWidget(Labelstate, 3, 1);
    // Hidden commands of the CANopen editors keep their place in the window.
    auto* hidden = new QHBoxLayout;
    for (QPushButton* b : {btn_Translate, CreateSx, btn_Emcy_Wd, btn_Pdo, btn_Emcy, btn_Info_Pdo})
        hidden->addWidget(b);
    hidden->addWidget(GroupBox1);

    auto* footer = new QHBoxLayout;
    footer->addWidget(about);
    footer->addStretch();
    footer->addWidget(Label6);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addLayout(header);
    layout->addWidget(line());
    layout->addLayout(steps);
    layout->addLayout(hidden);
    layout->addWidget(line());
    layout->addLayout(footer);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QDialog* TFQuenzoreFirmWare::DialogOfClass(const QString& className) const {
    for (QDialog* d : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        if (QLatin1String(d->metaObject()->className()) == className)
            return d;
    return nullptr;
}

void TFQuenzoreFirmWare::CreateDialogs() {
    // Fixed start-up order: TFsaveproj, TFHelp, TFAbout, TFSELstringhe, TFModifyFileSx,
    // TFpargen, TFsdo, TFpdo, TFemcy, TFWemcy, TFXML, TFInfopdo, TFSetVar, TFSNMP, TFPing. Each
    // is created once and lives until exit.
    FSaveproj = new TFsaveproj(ws_, prompter_, this);
    FHelp = new TFHelp(ws_, prompter_, this);
    FAbout = new TFAbout(this);
    FSELstringhe = new TFSELstringhe(prompter_, this);
    FModifyFileSx = new TFModifyFileSx(ws_, prompter_, this);
    FPargen = new TFpargen(ws_, prompter_, this);
    FSdo = new TFsdo(ws_, prompter_, this);
    FPdo = new TFpdo(ws_, prompter_, this);
    FEmcy = new TFemcy(ws_, prompter_, this);
    FWemcy = new TFWemcy(ws_, prompter_, this);
    FXML = new TFXML(
        ws_, prompter_,
        [this](const QString& caption) {
            return FSaveproj->EditCaption(caption, [this](QDialog* d) { return execDialog(d); });
        },
        this);
    FInfopdo = new TFInfopdo(ws_, prompter_, this);
    FSetVar = new TFSetVar(ws_, prompter_, this);
    FSNMP = new TFSNMP(this);
    FPing = new TFPing(this);

    FAbout->openUrl = [this](const QUrl& url) {
        if (openUrl)
            openUrl(url);
    };
    FPargen->FSNMP = FSNMP;
    FPargen->execDialog = [this](QDialog* d) { return execDialog(d); };
    FPargen->setPingAddress = [this](const QString& address) { Edit1->setText(address); };
    FPargen->setTranslateEnabled = [this](bool enabled) { btn_Translate->setEnabled(enabled); };
    // A new project gets the default parameters through the dialog's own OK, so the ping
    // address and the Translate Table button follow as after any save, and an empty table.
    FSaveproj->writeProjectFiles = [this] {
        FPargen->WriteParameterDefaults();
        if (!FPargen->BitBtn1Click())
            return false;
        FSetVar->ResetTable();
        FSetVar->SaveTranslateTable(); // a failure has been reported; the project is usable
        return true;
    };
}

void TFQuenzoreFirmWare::showProjectTitle() {
    setWindowTitle(kTitlePrefix + QStringLiteral(" :") + ws_.ProjectName);
}

void TFQuenzoreFirmWare::NewClick() {
    FSaveproj->ProjectDialogMode = TFsaveproj::NewProject;
    FSaveproj->NewProjectDestination = ws_.ProjectsFolder;
    execDialog(FSaveproj);
    // The dialog has made the project current on OK; Cancel leaves it as it was.
    showProjectTitle();
}

void TFQuenzoreFirmWare::openClick() {
    if (!QFileInfo(ws_.ProjectFolder).isDir())
        ws_.ProjectFolder.clear();
    const auto chosen = prompter_.chooseFolder(QStringLiteral("Select directory of project"),
                                               ws_.ProjectsFolder, ws_.ProjectFolder);
    if (chosen)
        ws_.ProjectFolder = QDir::toNativeSeparators(*chosen);
    ws_.ProjectName = ws_.ProjectFolder.mid(ws_.ProjectsFolder.size());
    showProjectTitle();
    RefreshProjectPaths(ws_);
}

void TFQuenzoreFirmWare::CommonCommand(QPushButton* sender) {
    if (ws_.ProjectFolder.isEmpty()) {
        prompter_.message(QStringLiteral("Project not valid"));
        return;
    }
    if (sender == btn_Translate)
        execDialog(FSetVar);
    else if (sender == btn_Prm_Gen)
        execDialog(FPargen);
    else if (sender == Btn_Ping)
        PingDevice();
}

void TFQuenzoreFirmWare::RunDeviceUpdate(QPushButton* sender) {
    // Only possible after a cancelled Open project: there is no project to compose from.
    if (ws_.ProjectFolder.isEmpty()) {
        prompter_.message(QStringLiteral("Project not valid"));
        return;
    }
    // PROJECTS itself is no project: composing there would fail on a bin folder nobody made.
    if (QDir::cleanPath(ws_.ProjectFolder) == QDir::cleanPath(ws_.ProjectsFolder)) {
        prompter_.message(kNoProjectMessage);
        return;
    }
    if (!ProjectPassesCheck())
        return;
    if (sender == CreateBin && ProductVariant == 2) {
        Labelstate->setText(QStringLiteral("Wait.."));
        QCoreApplication::processEvents(); // once, so the window repaints before the work
        // A failed composition or write stops here: no stale or half-filled image is patched.
        if (Result<> saved = ComposeAndSaveImage(configImage, ws_.PargenPath, ws_.ProjectFolder);
            !saved) {
            prompter_.errorReport(saved.error());
            return;
        }
        Labelstate->setText(QStringLiteral("--"));
    }
    execDialog(FModifyFileSx);
}

void TFQuenzoreFirmWare::UpdateTranslateButton() {
    if (!QFileInfo::exists(ws_.PargenPath))
        return;
    QDomDocument doc;
    if (!LoadXmlFile(doc, ws_.PargenPath).ok())
        return; // a damaged file leaves the button as it was
    const QDomElement mode = ChildElement(TopLevelElement(doc, Pargen::kRoot),
                                          Pargen::ElementName(Pargen::Element::Mode));
    const auto value = mode.isNull() ? std::nullopt : ParseIntegerText(ElementText(mode));
    btn_Translate->setEnabled(!(value && *value == 0));
}

void TFQuenzoreFirmWare::Label6Click() {
    if (openUrl)
        openUrl(kProductWebPage);
}

void TFQuenzoreFirmWare::closeEvent(QCloseEvent* event) {
    if (!SaveLastProject(ws_).ok())
        prompter_.message(QStringLiteral("The last project could not be stored in \"%1\"; it "
                                         "will not be reopened at the next start.")
                              .arg(QDir::toNativeSeparators(SettingsPath(ws_))));
    event->accept();
}

void TFQuenzoreFirmWare::aboutClick() {
    execDialog(FAbout);
}

void TFQuenzoreFirmWare::PingDevice() {
    // Blocks for the echo wait itself (at most the client's time-out), then processes events.
    const PingResult result =
        RunPingDevice(Ping1, PingReplyState, Edit1->text(), ThreadPingLoopHooks());
    FPing->ShowPingResult(result.kind, result.caption, result.text);
    execDialog(FPing);
}

void TFQuenzoreFirmWare::Ping1Reply(const EchoReplyStatus& status) {
    PingReplyState = PingReplyStateFor(status);
}
