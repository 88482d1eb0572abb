// The ping result dialog: one of three pictures, a line of text and OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TFPing : public QDialog {
    Q_OBJECT
public:
    explicit TFPing(QWidget* parent = nullptr);

    QLabel* I_P_F;  // device found
    QLabel* I_P_NF; // device not found
    QLabel* I_P_E;  // error
    QLabel* Label1;
    QPushButton* LbButton1;

    // Kind 0 found, 1 not found, 2 error; any other kind shows no picture.
    void ShowPingResult(int kind, const QString& caption, const QString& text);
    void LbButton1Click();
};
