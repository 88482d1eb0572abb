#include "ping/TFPing.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "ping/PingPictures.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFPing::TFPing(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ping!"));

    // The three pictures lie on top of each other; only one is shown at a time.
    auto* pictures = new QWidget(this);
    pictures->setFixedSize(kPingPictureSize, kPingPictureSize);
    auto picture = [pictures](const QPixmap& pixmap) {
        auto* label = new QLabel(pictures);
        label->setPixmap(pixmap);
        label->setGeometry(0, 0, kPingPictureSize, kPingPictureSize);
        return label;
    };
    I_P_F = picture(DeviceFoundPicture());
    I_P_NF = picture(DeviceNotFoundPicture());
    I_P_E = picture(PingErrorPicture());
    I_P_NF->hide();
    I_P_E->hide();

    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    QFont font = Label1->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    Label1->setFont(font);
    Label1->setMinimumWidth(220);

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    connect(LbButton1, &QPushButton::clicked, this, &TFPing::LbButton1Click);

    auto* row = new QHBoxLayout;
    row->addWidget(pictures);
    row->addSpacing(12);
    row->addWidget(Label1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(row);
    layout->addWidget(OkCancelBox(this, LbButton1, nullptr));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NameControls({{I_P_F, "I_P_F"},
                  {I_P_NF, "I_P_NF"},
                  {I_P_E, "I_P_E"},
                  {Label1, "Label1"},
                  {LbButton1, "LbButton1"}});
    ApplyButtonKeys(this, LbButton1, nullptr);
}

void TFPing::ShowPingResult(int kind, const QString& caption, const QString& text) {
    I_P_F->setVisible(kind == 0);
    I_P_NF->setVisible(kind == 1);
    I_P_E->setVisible(kind == 2);
    Label1->setText(text);
    setWindowTitle(caption);
}

void TFPing::LbButton1Click() {
    accept();
}
