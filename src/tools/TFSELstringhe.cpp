#include "tools/TFSELstringhe.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "tools/StringsFile.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kIndexColumnWidth = 56;

} // namespace

TFSELstringhe::TFSELstringhe(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setWindowTitle(QStringLiteral("Select String"));
    setModal(true);
    resize(420, 480);

    sg = new QTableWidget(this);
    sg->verticalHeader()->hide();
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setSelectionBehavior(QAbstractItemView::SelectItems);
    sg->horizontalHeader()->setHighlightSections(false);
    sg->horizontalHeader()->setStretchLastSection(true);
    sg->verticalHeader()->setDefaultSectionSize(sg->fontMetrics().height() + 6);

    Label1 = new QLabel(QStringLiteral("Sel str:"), this);
    bitbtn1 = new QPushButton(QStringLiteral("OK"), this);
    bitbtn2 = new QPushButton(QStringLiteral("Cancel"), this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1);
    bottom->addWidget(OkCancelBox(this, bitbtn1, bitbtn2), 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sg, 1);
    layout->addLayout(bottom);
    NameControls({{sg, "sg"}, {Label1, "Label1"}, {bitbtn1, "bitbtn1"}, {bitbtn2, "bitbtn2"}});
    ApplyButtonKeys(this, bitbtn1, bitbtn2);

    connect(bitbtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(sg, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
        if (row >= 0)
            sgSelectCell(column, row + 1);
    });
}

void TFSELstringhe::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) // a restore from minimised is no new opening
        FormShow();
    QDialog::showEvent(event);
}

void TFSELstringhe::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

int TFSELstringhe::RowCount() const {
    return sg->rowCount() + 1;
}

QString TFSELstringhe::Cell(int col, int row) const {
    if (row == 0) {
        const QTableWidgetItem* header = sg->horizontalHeaderItem(col);
        return header ? header->text() : QString();
    }
    const QTableWidgetItem* item = sg->item(row - 1, col);
    return item ? item->text() : QString();
}

void TFSELstringhe::FormShow() {
    // The index column is rebuilt; strings of an earlier opening stay where a shorter file
    // does not overwrite them.
    sg->setColumnCount(2);
    sg->setRowCount(kMaxStrings);
    sg->setHorizontalHeaderLabels({QStringLiteral("Index"), QStringLiteral("String")});
    const QBrush fixed = palette().button();
    for (int k = 0; k < kMaxStrings; ++k) {
        auto* index = new QTableWidgetItem(QString::number(k));
        index->setFlags(Qt::ItemIsEnabled);
        index->setBackground(fixed);
        sg->setItem(k, 0, index);
        if (!sg->item(k, 1))
            sg->setItem(k, 1, new QTableWidgetItem);
    }

    TSelStringSettings& settings = SelStringSettings();
    if (!QFileInfo(settings.StringsFilePath).isFile()) {
        prompter_.message(QStringLiteral("File strings XML not found"));
    } else {
        const TStringsFile file = ReadStringsFile(settings.StringsFilePath);
        if (file.Error) {
            prompter_.message(QStringLiteral("Error in reading file XML"));
        } else {
            for (int k = 0; k < file.Strings.size(); ++k)
                sg->item(k, 1)->setText(file.Strings.at(k));
            if (file.Total > kMaxStrings)
                prompter_.message(
                    QStringLiteral("The strings file holds %1 strings: only the first %2 are "
                                   "shown, %3 were left out.")
                        .arg(file.Total)
                        .arg(kMaxStrings)
                        .arg(file.Total - kMaxStrings));
        }
    }

    FormResize();
    const int index = qBound(0, settings.SelectedStringIndex, kMaxStrings - 1);
    sg->setCurrentCell(index, 1);
    sgSelectCell(1, index + 1);
}

// Column 1 takes the rest of the width: the header stretches its last section.
void TFSELstringhe::FormResize() {
    if (sg->columnCount() > 0)
        sg->setColumnWidth(0, kIndexColumnWidth);
}

void TFSELstringhe::sgSelectCell(int col, int row) {
    Q_UNUSED(col);
    SelStringSettings().SelectedStringIndex = row - 1;
    Label1->setText(QStringLiteral("Sel str: ") + QString::number(row - 1));
}
