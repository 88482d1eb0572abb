// The right-aligned row of OK/Cancel buttons at the foot of the program's dialogs.
#pragma once

#include <QHBoxLayout>
#include <QPushButton>

#include <initializer_list>

inline QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}
