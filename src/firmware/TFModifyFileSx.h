// The "Generate Firmware" dialog: the last step of Update Device. The user picks the COM port
// and starts the update; the patch and the flasher start are FirmwareUpdate's.
#pragma once

#include "firmware/FirmwareUpdate.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class TFModifyFileSx : public QDialog {
    Q_OBJECT
public:
    TFModifyFileSx(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);
    ~TFModifyFileSx() override;

    // Tests put a recording launcher here; by default the flasher is started for real.
    void setLauncher(FlasherLauncher* launcher);
    FirmwareUpdate& update() { return *update_; }

    QComboBox* cbport;
    QPushButton* LbButton2;
    QPushButton* LbButton1;
    QProgressBar* Avanzamento;
    QLineEdit* NewFileSx;
    QLabel* Label3;
    QPushButton* OpenFile;
    QPushButton* Options;
    QGroupBox* GbBank;
    QCheckBox* Cbbank1;
    QCheckBox* Cbbank2;
    QCheckBox* Cbbank3;
    QCheckBox* Cbbank4;
    QCheckBox* Cbbank5;
    QPushButton* DirFileBin;
    QPushButton* ExeModFileSx;
    QPushButton* ExeUpdateFir;

    void FormShow();
    void LbButton2Click();
    void LbButton1Click();
    void OpenFileClick();
    void OptionsClick();
    void DirFileBinClick();
    // The patch step; returns the patcher's result, or nothing when bank 1 is not selected.
    std::optional<int> ExeModFileSxClick();
    void ExeUpdateFirClick();
    void NewFileSxChange();

    // True when `box` carries the red mark of a bank the base firmware lacks.
    bool isMarked(const QCheckBox* box) const;
    QString statusText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class LauncherSwitch;
    QList<QCheckBox*> bankBoxes() const;
    void clearMarks();
    void startFlasher();
    void flasherFinished(int exitStatus);
    void setStatus(const QString& text);
    // The bar shows a failed step in red with the word "Failed" (property "failed").
    void setProgressFailed(bool failed);

    // Says what the last press did; the flasher itself shows no window here.
    QLabel* status_;
    // The flasher's last report lines, once it has ended.
    QLabel* report_;
    const Workspace& ws_;
    Prompter& prompter_;
    std::unique_ptr<LauncherSwitch> launcher_;
    std::unique_ptr<FirmwareUpdate> update_;
};
