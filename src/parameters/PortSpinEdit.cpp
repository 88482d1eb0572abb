#include "parameters/PortSpinEdit.h"

#include "common/IntegerText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <limits>

TPortSpinEdit::TPortSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setAccelerated(true);
    setValue(0);
}

int TPortSpinEdit::value() const {
    return IntegerTextOr(lineEdit()->text(), 0);
}

void TPortSpinEdit::setValue(int value) {
    setText(QString::number(value));
}

void TPortSpinEdit::setText(const QString& text) {
    lineEdit()->setText(text);
}

void TPortSpinEdit::stepBy(int steps) {
    // No bounds of its own; only the integer range stops the arrows.
    const qint64 next = qint64(value()) + steps;
    setValue(int(qBound(qint64(std::numeric_limits<int>::min()), next,
                        qint64(std::numeric_limits<int>::max()))));
    selectAll();
}

QValidator::State TPortSpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable; // the keys are filtered; the check runs at OK
}

QAbstractSpinBox::StepEnabled TPortSpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    const int v = value();
    if (v < std::numeric_limits<int>::max())
        enabled |= StepUpEnabled;
    if (v > std::numeric_limits<int>::min())
        enabled |= StepDownEnabled;
    return enabled;
}

void TPortSpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        const QChar c = text.at(0);
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
                             QLocale().decimalPoint() == QString(c);
        if (!allowed) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}
