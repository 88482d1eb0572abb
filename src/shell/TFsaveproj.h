// The new-project dialog: makes a project folder under PROJECTS and makes it current; in its
// second mode it is only a one-line text editor used to rename XML tree entries.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class Prompter;
struct Workspace;

class TFsaveproj : public QDialog {
    Q_OBJECT
public:
    enum Mode { NewProject = 0, EditXml = 1 };

    TFsaveproj(Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);

    // Set by the caller before every showing.
    int ProjectDialogMode = NewProject;
    QString NewProjectDestination;
    // The text of Edit1 taken at the last OK in NewProject mode.
    QString TypedName;
    bool AcceptClose = true;

    // Writes the new project's default files into the current project; false when that
    // failed (the failure has been reported). Set once every dialog exists.
    std::function<bool()> writeProjectFiles;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    void FormShow();
    // Runs the dialog through `exec` in its "Edit XML" mode on `caption`: the typed text at
    // OK, nullopt at Cancel.
    std::optional<QString> EditCaption(const QString& caption,
                                       const std::function<int(QDialog*)>& exec);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    Workspace& ws_;
    Prompter& prompter_;
};
