// The general parameters dialog: edits the current project's pargen.xml and, on OK, sets the
// main window's ping address and Translate Table button.
#pragma once

#include "common/RadioGroup.h"
#include "parameters/GeneralParameters.h"

#include <QDialog>
#include <QGroupBox>

#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Prompter;
class TFSNMP;
class TPortSpinEdit;
struct Workspace;

class TFpargen : public QDialog {
    Q_OBJECT
public:
    TFpargen(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    // The main window's members this dialog writes.
    std::function<void(const QString&)> setPingAddress;
    std::function<void(bool)> setTranslateEnabled;
    // The community names dialog and how it is run (tests replace the runner).
    TFSNMP* FSNMP = nullptr;
    std::function<int(QDialog*)> execDialog = [](QDialog* d) { return d->exec(); };

    QGroupBox* GroupBox1; // "MODBUS TCP"
    QGroupBox* GroupBox2; // "BaudRate 485"
    QGroupBox* GroupBox3; // "System Data Offset"
    QLineEdit* E_IP1;
    QLineEdit* E_IP2;
    QLineEdit* E_IP3;
    QLineEdit* E_IP4;
    QLineEdit* E_SUB1;
    QLineEdit* E_SUB2;
    QLineEdit* E_SUB3;
    QLineEdit* E_SUB4;
    QLineEdit* E_GAT1;
    QLineEdit* E_GAT2;
    QLineEdit* E_GAT3;
    QLineEdit* E_GAT4;
    TPortSpinEdit* SE_Port;
    QPushButton* LbButton1; // "Advanced Parameter"
    QComboBox* CB_Baud;
    QComboBox* CB_Par;
    QLineEdit* E_Time;
    QLineEdit* E_Offset;
    TRadioGroup* RG_Mode;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    QString SnmpPublic;
    QString SnmpPrivate;

    void FormShow();
    void WriteParameterDefaults();
    // Fills the fields from pargen.xml; a file that cannot be read is reported and not
    // replaced later without asking.
    void LoadParameters();
    // The OK handler; true when the file was saved and the dialog gave its OK result.
    bool BitBtn1Click();
    void BitBtn2Click();
    void LbButton1Click();

    GeneralParameters values() const;
    void setValues(const GeneralParameters& values);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    const Workspace& ws_;
    Prompter& prompter_;
    std::array<std::array<QLineEdit*, 4>, 3> octets_{};
    int baudCode_ = 0;        // kept while the list shows no valid selection
    bool unreadFile_ = false; // pargen.xml exists but could not be read
};
