// The XML reader and writer window: shows an XML file as a tree of captions, lets the user
// retype single captions and writes the tree back into the current project folder.
#pragma once

#include "tools/XmlTree.h"

#include <QDialog>
#include <QIcon>

#include <functional>
#include <optional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Prompter;
struct Workspace;

class TFXML : public QDialog {
    Q_OBJECT
public:
    // Shows a caption for retyping: the new text, or nullopt when the user cancels. The main
    // window runs its new-project dialog in its "Edit XML" mode for it.
    using CaptionEditor = std::function<std::optional<QString>(const QString& caption)>;

    TFXML(Workspace& ws, Prompter& prompter, CaptionEditor editCaption, QWidget* parent = nullptr);

    QTreeWidget* TvXml;
    QPushButton* btnopen;
    QPushButton* btnFullExpand;
    QPushButton* btnWrite;

    void FormShow();
    void btnOpenClick();
    void btnFullExpandClick();
    void btnWriteClick();
    void TvXmlMouseDown(Qt::MouseButton button);
    void TvXmlKeyDown(int key);

    // The tree as rows, depth first: what Write saves.
    QList<TXmlTreeRow> TreeRows() const;
    // The item's image index (twice the node kind).
    static int ImageIndex(const QTreeWidgetItem* item);
    // IiXml: the ten pictures, index 2k for a node of kind k and 2k + 1 when selected.
    static QPixmap XmlImage(int index);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRows(const QList<TXmlTreeRow>& rows);
    void editSelectedCaption();

    Workspace& ws_;
    Prompter& prompter_;
    CaptionEditor editCaption_;
    QString openFolder_;
};
