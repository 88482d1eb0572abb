// The SNMP community names dialog: two names of at most 13 characters, reached from the
// general parameters dialog.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFSNMP : public QDialog {
    Q_OBJECT
public:
    explicit TFSNMP(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* Edit1; // "Public"
    QLineEdit* Edit2; // "Private"
    QPushButton* LbButton1;
    QPushButton* LbButton2;
};
