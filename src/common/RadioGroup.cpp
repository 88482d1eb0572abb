#include "common/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, QWidget* parent,
                         int columns)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
}

int TRadioGroup::itemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    if (QAbstractButton* button = group_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button directly.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons())
        b->setChecked(false);
    group_->setExclusive(true);
}
