#include "info/TFAbout.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "info/ProductInfo.h"
#include "info/ProductPicture.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSide = 128;

QLabel* linkLabel(const QString& href, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(href.toHtmlEscaped(), caption.toHtmlEscaped()),
        parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

TFAbout::TFAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About..."));
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    Image2 = new QLabel(this);
    Image2->setFixedSize(kPictureSide, kPictureSide);
    Image2->setScaledContents(true);
    Image2->setPixmap(ProductPicture(2 * kPictureSide));

    Label1 = new QLabel(kAboutProduct, this);
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    Label1->setFont(bold);
    Label2 = new QLabel(kAboutFunction, this);
    Label3 = new QLabel(kAboutVersion, this);
    for (QLabel* l : {Label1, Label2, Label3})
        l->setTextFormat(Qt::PlainText);
    const QUrl web(kMakerWebPage);
    Label4 = linkLabel(kMakerWebPage, web.host(), this);
    Label5 = linkLabel(QStringLiteral("mailto:") + kMakerSupportMail, kMakerSupportMail, this);
    Label5->setVisible(false);
    connect(Label4, &QLabel::linkActivated, this, [this] { Label4Click(); });
    connect(Label5, &QLabel::linkActivated, this, [this] { Label5Click(); });

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton1->setMinimumWidth(88);
    connect(LbButton1, &QPushButton::clicked, this, &TFAbout::LbButton1Click);

    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    texts->addSpacing(6);
    texts->addWidget(Label3);
    texts->addSpacing(10);
    texts->addWidget(Label4);
    texts->addWidget(Label5);
    texts->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(Image2);
    row->addSpacing(18);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(OkCancelBox(this, LbButton1, nullptr));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    NameControls({{Image2, "Image2"},
                  {Label1, "Label1"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {Label4, "Label4"},
                  {Label5, "Label5"},
                  {LbButton1, "LbButton1"}});
    ApplyButtonKeys(this, LbButton1, nullptr);
}

void TFAbout::Label4Click() {
    if (openUrl)
        openUrl(QUrl(kMakerWebPage));
}

void TFAbout::Label5Click() {
    if (openUrl)
        openUrl(QUrl(QStringLiteral("mailto:") + kMakerSupportMail));
}

void TFAbout::LbButton1Click() {
    accept();
}

void TFAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
}
