// The help viewer: shows the help text beside the program, read anew at every showing.
#pragma once

#include <QDialog>

class Prompter;
class QTextEdit;
struct Workspace;

class TFHelp : public QDialog {
    Q_OBJECT
public:
    TFHelp(const Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    QTextEdit* RichEdit1;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const Workspace& ws_;
    Prompter& prompter_;
};
