// What every table editor's dialog shares: the pages of its two directions above OK, Cancel,
// Export and Import, the show handler that reloads the table on each opening, and the key rule.
// A dialog moves values between its controls and its editor and holds no rule of its own.
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class Prompter;
class QListWidget;
class QPushButton;
class QTabWidget;
class TableEditor;
struct Workspace;

class TFTableDialog : public QDialog {
    Q_OBJECT
public:
    QTabWidget* pages;
    QPushButton* okButton; // bitbtn1 or LbButton1, as the form names it: "OK"
    QPushButton* bitbtn2;  // "Cancel"
    QPushButton* bitbtn4;  // "Import"
    QPushButton* button1;  // "Export"

    // Fills the pages not filled yet. Every dialog is built at start-up, opened or not, so its
    // pages wait for the first showing; whatever reads the controls before then calls this.
    void BuildPages();
    // Show: the table reloaded from the project folder.
    void FormShow();
    // OK: true when the table file was written and the dialog closed.
    bool BitBtn1Click();
    void BitBtn4Click();
    void Button1Click();

protected:
    TFTableDialog(const QString& caption, const char* okName, const Workspace& ws,
                  Prompter& prompter, QWidget* parent);

    virtual TableEditor& editor() = 0;
    // The controls from the editor, after a Show or an Import.
    virtual void tableLoaded() = 0;

    void showEvent(QShowEvent* event) override;

    // A new page under `caption`, which `fill` fills when the pages are built.
    void addPage(const QString& caption, std::function<void(QWidget*)> fill);

    // Runs `handler` for a row the user chose in `list`: a click (also on the row already
    // chosen) or a move with the keys, never while `rendering` is set.
    static void OnChosen(QListWidget* list, const bool& rendering,
                         const std::function<void()>& handler);

    const Workspace& ws_;
    Prompter& prompter_;

private:
    std::vector<std::pair<QWidget*, std::function<void(QWidget*)>>> unfilled_;
};

// The dialog classes `quenzor --open-dialog` can show.
QStringList TableDialogNames();
