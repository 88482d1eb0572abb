#include "shell/TFsaveproj.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/FileIO.h"
#include "common/Prompter.h"
#include "project/ProjectFolder.h"
#include "project/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// A name that would make or reuse a folder outside PROJECTS.
bool leavesDestination(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           name == QLatin1String(".") || name == QLatin1String("..");
}

} // namespace

TFsaveproj::TFsaveproj(Workspace& ws, Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ws_(ws),
      prompter_(prompter) {
    setWindowTitle(QStringLiteral("New project"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("Project name"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(260);
    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addWidget(OkCancelBox(this, bitbtn1, bitbtn2));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NameControls(
        {{Label1, "Label1"}, {Edit1, "Edit1"}, {bitbtn1, "bitbtn1"}, {bitbtn2, "bitbtn2"}});
    ApplyButtonKeys(this, bitbtn1, bitbtn2);

    connect(bitbtn1, &QPushButton::clicked, this, &TFsaveproj::BitBtn1Click);
    connect(bitbtn2, &QPushButton::clicked, this, &TFsaveproj::BitBtn2Click);
}

void TFsaveproj::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) // a restore from minimised is no new opening
        FormShow();
    QDialog::showEvent(event);
}

void TFsaveproj::FormShow() {
    if (ProjectDialogMode == NewProject) {
        setWindowTitle(QStringLiteral("New project"));
        Edit1->clear();
        TypedName.clear();
        Label1->show();
    } else if (ProjectDialogMode == EditXml) {
        setWindowTitle(QStringLiteral("Edit XML"));
        Label1->hide();
    }
    Edit1->setFocus();
}

std::optional<QString> TFsaveproj::EditCaption(const QString& caption,
                                               const std::function<int(QDialog*)>& exec) {
    ProjectDialogMode = EditXml;
    Edit1->setText(caption);
    if (exec(this) != QDialog::Accepted)
        return std::nullopt;
    return Edit1->text();
}

void TFsaveproj::BitBtn1Click() {
    if (ProjectDialogMode == NewProject) {
        AcceptClose = true;
        TypedName = Edit1->text();
        if (NewProjectDestination.isEmpty()) {
            prompter_.message(QStringLiteral("directory destination not valid"));
            AcceptClose = false;
        }
        if (TypedName.isEmpty() || leavesDestination(TypedName)) {
            prompter_.message(QStringLiteral("Name project not valid"));
            AcceptClose = false;
        }
        if (AcceptClose) {
            const QString folder = JoinPath(NewProjectDestination, TypedName);
            // A folder that could not be made stays silent here, as it always has; a missing
            // bin folder shows where it is needed.
            const ProjectFolderError made = MakeProjectFolder(folder);
            if (made == ProjectFolderError::Exists)
                prompter_.message(ProjectFolderMessage(made, folder));
            if (made == ProjectFolderError::Exists || made == ProjectFolderError::FolderNotMade) {
                AcceptClose = false;
                return;
            }
            ws_.ProjectName = TypedName;
            ws_.ProjectFolder = folder;
            RefreshProjectPaths(ws_);
            if (ProductVariant == 2 && writeProjectFiles && !writeProjectFiles()) {
                AcceptClose = false;
                return;
            }
            AcceptClose = true;
        }
    } else if (ProjectDialogMode == EditXml) {
        AcceptClose = true;
    }
    if (AcceptClose)
        accept();
}

void TFsaveproj::BitBtn2Click() {
    AcceptClose = true;
    QDialog::reject();
}

// Closing the window by other means is the Cancel button.
void TFsaveproj::reject() {
    BitBtn2Click();
}
