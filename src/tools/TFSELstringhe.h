// The string selector: lists up to 1000 strings of a strings file beside their indices and
// remembers the picked index for the next opening.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;
class Prompter;

class TFSELstringhe : public QDialog {
    Q_OBJECT
public:
    explicit TFSELstringhe(Prompter& prompter, QWidget* parent = nullptr);

    // The grid's header row is its row 0; rows 1 to 1000 hold the indices 0 to 999.
    QTableWidget* sg;
    QLabel* Label1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    void FormShow();
    void FormResize();
    void sgSelectCell(int col, int row);

    // The grid as the dialog counts it (row 0 is the header).
    int RowCount() const;
    QString Cell(int col, int row) const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Prompter& prompter_;
};
