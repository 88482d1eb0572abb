// A titled group of exclusive choices, read and set by position, as the dialogs' option
// groups are.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // The choices fill `columns` columns, row by row.
    TRadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr,
                int columns = 1);
    // The selected choice; -1 when none is.
    int itemIndex() const;
    void setItemIndex(int index);

private:
    QButtonGroup* group_;
};
