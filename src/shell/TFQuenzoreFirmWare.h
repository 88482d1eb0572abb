// The main window: start-up, the three working steps, and the dispatcher of every command.
#pragma once

#include "image/ConfigImage.h"
#include "info/ProductInfo.h"
#include "ping/IcmpEchoClient.h"
#include "project/Workspace.h"

#include <QDialog>
#include <QPalette>
#include <QUrl>
#include <QWidget>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Prompter;
class TFsaveproj;
class TFSELstringhe;
class TFXML;
class TFHelp;
class TFAbout;
class TFPing;
class TFModifyFileSx;
class TFpargen;
class TFsdo;
class TFpdo;
class TFemcy;
class TFWemcy;
class TFInfopdo;
class TFSetVar;
class TFSNMP;

inline const QString kTitlePrefix = QStringLiteral("Velmara Quenzor SW93051 TCP2Korvane");
inline const QString kApplicationTitle = QStringLiteral("Firmware Quenzor");
// WCAG contrast of two colours (1 to 21), and a palette whose text is set apart from the
// main texts while keeping at least 4.5:1 against the background.
double ContrastRatio(const QColor& a, const QColor& b);
QPalette SecondaryTextPalette(QPalette palette);

inline const QString kNoProjectMessage =
    QStringLiteral("No project is open. Create one with New project or open one with Open "
                   "project, then run Update Device again.");
inline const QUrl kProductWebPage = QUrl(kMakerWebPage);

class TFQuenzoreFirmWare : public QWidget {
    Q_OBJECT
public:
    // Runs the workspace start-up on `programFolder`, sets the title and the Translate Table
    // button. The dialogs come afterwards, from CreateDialogs().
    TFQuenzoreFirmWare(Workspace& ws, Prompter& prompter, const QString& programFolder,
                       QWidget* parent = nullptr);

    // Creates every other dialog once, hidden, in the fixed start-up order.
    void CreateDialogs();
    // The dialog of that class among those CreateDialogs made; nullptr when there is none.
    QDialog* DialogOfClass(const QString& className) const;
    // The project check before Update Device composes: errors stop, warnings ask.
    bool ProjectPassesCheck();

    Workspace& workspace() { return ws_; }
    Prompter& prompter() { return prompter_; }

    // How modal dialogs are run; tests replace it to drive a dialog without blocking.
    std::function<int(QDialog*)> execDialog = [this](QDialog* d) { return ExecCentred(d); };
    // Runs `d` centred over this window, at the same place on every showing (a dialog that
    // places itself in its show handler still does).
    int ExecCentred(QDialog* d);
    // How web pages are opened; tests replace it so nothing is launched.
    std::function<void(const QUrl&)> openUrl;

    // Controls, named as the window defines them.
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* New;
    QPushButton* open;
    QPushButton* btn_Prm_Gen;
    QPushButton* CreateBin;
    QPushButton* about;
    QPushButton* LbButton1;
    QLabel* Label6;
    QPushButton* CreateSx;
    QPushButton* btn_Translate;
    QPushButton* btn_Emcy_Wd;
    QPushButton* btn_Pdo;
    QPushButton* btn_Emcy;
    QPushButton* btn_Info_Pdo;
    QGroupBox* GroupBox1;
    QLineEdit* Edit1;
    QPushButton* Btn_Ping;
    QLabel* Labelstate;

    int PingReplyState = 0;
    IcmpEchoClient Ping1;
    // The configuration image of the last Update Device, the one buffer of the run.
    ConfigImage configImage;

    // Dialogs, in start-up order.
    TFsaveproj* FSaveproj = nullptr;
    TFHelp* FHelp = nullptr;
    TFAbout* FAbout = nullptr;
    TFSELstringhe* FSELstringhe = nullptr;
    TFModifyFileSx* FModifyFileSx = nullptr;
    TFpargen* FPargen = nullptr;
    TFsdo* FSdo = nullptr;
    TFpdo* FPdo = nullptr;
    TFemcy* FEmcy = nullptr;
    TFWemcy* FWemcy = nullptr;
    TFXML* FXML = nullptr;
    TFInfopdo* FInfopdo = nullptr;
    TFSetVar* FSetVar = nullptr;
    TFSNMP* FSNMP = nullptr;
    TFPing* FPing = nullptr;

    void NewClick();
    void openClick();
    void CommonCommand(QPushButton* sender);
    void RunDeviceUpdate(QPushButton* sender);
    void UpdateTranslateButton();
    void Label6Click();
    void aboutClick();
    void PingDevice();
    // The ping client's reply report.
    void Ping1Reply(const EchoReplyStatus& status);

    // The window title after New project or Open project.
    void showProjectTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* makeButton(const QString& caption, bool visible);
    void buildLayout();

    Workspace& ws_;
    Prompter& prompter_;
};
