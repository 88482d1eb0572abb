#include "tools/TFXML.h"

#include "common/ControlNames.h"
#include "common/DialogButtons.h"
#include "common/Prompter.h"
#include "project/Workspace.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace {

constexpr int kImageRole = Qt::UserRole;
constexpr int kIconSize = 16;

// The node kinds' colours: document, element, attribute, processing instruction, declaration.
const QColor kKindColour[] = {QColor(0x3b, 0x6e, 0xa8), QColor(0x2e, 0x7d, 0x32),
                              QColor(0xb2, 0x6a, 0x00), QColor(0x7b, 0x3f, 0x9e),
                              QColor(0x9e, 0x2a, 0x2a)};

void drawDocument(QPainter& p, const QColor& ink, const QColor& paper) {
    QPainterPath page;
    page.moveTo(3, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13.5, 5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3, 14.5);
    page.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawPath(page);
    p.drawLine(QPointF(10, 1.5), QPointF(10, 5));
    p.drawLine(QPointF(10, 5), QPointF(13.5, 5));
    for (int y = 7; y <= 12; y += 2.5)
        p.drawLine(QPointF(5, y), QPointF(11.5, y));
}

void drawBadge(QPainter& p, const QColor& ink, const QColor& fill, const QString& glyph) {
    p.setPen(QPen(ink, 1));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    QFont font = p.font();
    font.setPixelSize(glyph.size() > 1 ? 8 : 11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(fill == Qt::white ? ink : Qt::white);
    p.drawText(QRectF(0, 0, kIconSize, kIconSize), Qt::AlignCenter, glyph);
}

} // namespace

QPixmap TFXML::XmlImage(int index) {
    const int kind = qBound(0, index / 2, 4);
    const bool selected = index % 2 == 1;
    const QColor ink = kKindColour[kind];
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case 0:
        drawDocument(p, ink, selected ? QColor(0xcf, 0xe0, 0xf5) : QColor(Qt::white));
        break;
    case 1:
        drawBadge(p, ink, selected ? ink : QColor(Qt::white), QStringLiteral("<>"));
        break;
    case 2:
        drawBadge(p, ink, selected ? ink : QColor(Qt::white), QStringLiteral("="));
        break;
    case 3:
        drawBadge(p, ink, selected ? ink : QColor(Qt::white), QStringLiteral("?"));
        break;
    default:
        drawBadge(p, ink, selected ? ink : QColor(Qt::white), QStringLiteral("x"));
        break;
    }
    return pixmap;
}

TFXML::TFXML(Workspace& ws, Prompter& prompter, CaptionEditor editCaption, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      ws_(ws), prompter_(prompter), editCaption_(std::move(editCaption)) {
    setWindowTitle(QStringLiteral("XML Reader & Writer"));
    setModal(true);
    resize(560, 480);

    btnopen = new QPushButton(QStringLiteral("Open "), this);
    btnFullExpand = new QPushButton(QStringLiteral("Full Expand"), this);
    btnWrite = new QPushButton(QStringLiteral("Write"), this);

    TvXml = new QTreeWidget(this);
    TvXml->setColumnCount(1);
    TvXml->header()->hide();
    TvXml->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TvXml->setSelectionMode(QAbstractItemView::SingleSelection);
    TvXml->setIconSize(QSize(kIconSize, kIconSize));
    TvXml->installEventFilter(this);
    TvXml->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnopen);
    buttons->addWidget(btnFullExpand);
    buttons->addWidget(btnWrite);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(TvXml, 1);
    NameControls({{TvXml, "TvXml"},
                  {btnopen, "btnopen"},
                  {btnFullExpand, "btnFullExpand"},
                  {btnWrite, "btnWrite"}});
    // No cancel button: Escape would lose the edited tree at the next opening.
    ApplyButtonKeys(this, nullptr, nullptr);

    connect(btnopen, &QPushButton::clicked, this, &TFXML::btnOpenClick);
    connect(btnFullExpand, &QPushButton::clicked, this, &TFXML::btnFullExpandClick);
    connect(btnWrite, &QPushButton::clicked, this, &TFXML::btnWriteClick);
}

void TFXML::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) // a restore from minimised keeps the tree
        FormShow();
    QDialog::showEvent(event);
}

bool TFXML::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TvXml->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            TvXmlMouseDown(Qt::RightButton);
            return true;
        }
    } else if (watched == TvXml && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
            TvXmlKeyDown(Qt::Key_F2);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFXML::FormShow() {
    TvXml->clear();
}

void TFXML::btnOpenClick() {
    btnopen->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { btnopen->setEnabled(true); });
    const QString folder = openFolder_.isEmpty() ? ws_.ProjectFolder : openFolder_;
    const std::optional<QString> path = prompter_.chooseOpenFile(
        QStringLiteral("Open XML File"), folder, QStringLiteral("XML Files (*.xml)"));
    if (!path)
        return;
    const TXmlTreeLoad loaded = LoadXmlTree(*path);
    if (loaded.Error) {
        prompter_.errorReport(*loaded.Error);
        return;
    }
    openFolder_ = QFileInfo(*path).absolutePath();
    showRows(loaded.Rows);
}

void TFXML::showRows(const QList<TXmlTreeRow>& rows) {
    TvXml->setUpdatesEnabled(false);
    TvXml->clear();
    // Items of the open path from the document down to the last row's parent.
    std::vector<QTreeWidgetItem*> path;
    for (const TXmlTreeRow& row : rows) {
        path.resize(static_cast<std::size_t>(qMin<qsizetype>(row.Depth, path.size())));
        auto* item = path.empty() ? new QTreeWidgetItem(TvXml) : new QTreeWidgetItem(path.back());
        item->setText(0, row.Caption);
        item->setData(0, kImageRole, row.ImageIndex);
        QIcon icon;
        icon.addPixmap(XmlImage(row.ImageIndex), QIcon::Normal);
        icon.addPixmap(XmlImage(row.ImageIndex + 1), QIcon::Selected);
        item->setIcon(0, icon);
        path.push_back(item);
    }
    TvXml->setUpdatesEnabled(true);
}

void TFXML::btnFullExpandClick() {
    TvXml->expandAll();
}

int TFXML::ImageIndex(const QTreeWidgetItem* item) {
    return item->data(0, kImageRole).toInt();
}

QList<TXmlTreeRow> TFXML::TreeRows() const {
    QList<TXmlTreeRow> rows;
    struct Frame {
        QTreeWidgetItem* item;
        int depth;
    };
    std::vector<Frame> pending;
    for (int i = TvXml->topLevelItemCount() - 1; i >= 0; --i)
        pending.push_back({TvXml->topLevelItem(i), 0});
    while (!pending.empty()) {
        const Frame f = pending.back();
        pending.pop_back();
        rows.append({f.depth, ImageIndex(f.item), f.item->text(0)});
        for (int i = f.item->childCount() - 1; i >= 0; --i)
            pending.push_back({f.item->child(i), f.depth + 1});
    }
    return rows;
}

void TFXML::btnWriteClick() {
    btnWrite->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { btnWrite->setEnabled(true); });
    if (Result<> saved = SaveXmlTree(TreeRows(), ws_.ProjectFolder); !saved)
        prompter_.errorReport(saved.error());
}

void TFXML::TvXmlMouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        editSelectedCaption();
}

void TFXML::TvXmlKeyDown(int key) {
    if (key == Qt::Key_F2)
        editSelectedCaption();
}

void TFXML::editSelectedCaption() {
    QTreeWidgetItem* item = TvXml->currentItem();
    if (!item || !item->isSelected() || !editCaption_)
        return;
    if (const std::optional<QString> edited = editCaption_(item->text(0)))
        item->setText(0, *edited);
}
