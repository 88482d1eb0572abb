// The port field: a spin field without bounds whose text is read by the integer text rule,
// and which takes only the keys a number can be typed with.
#pragma once

#include <QAbstractSpinBox>

class TPortSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TPortSpinEdit(QWidget* parent = nullptr);

    // The text's integer value; 0 when the text is not an integer text.
    int value() const;
    void setValue(int value);
    void setText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
};
