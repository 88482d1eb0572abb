#include "common/DialogButtons.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace {

class ButtonKeys : public QObject {
public:
    ButtonKeys(QWidget* window, QPushButton* defaultButton, QPushButton* cancelButton)
        : QObject(window), window_(window), default_(defaultButton), cancel_(cancelButton) {
        settle();
        window->installEventFilter(this);
    }

protected:
    // Keys reach the window when the focused control left them alone: a button without
    // auto-default ignores Enter, and Space never gets here from a button, which clicks
    // itself on release.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_)
            return false;
        if (event->type() == QEvent::Show) {
            settle();
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Cancel)) {
            fire(cancel_);
            return true;
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (!enter || modifiers != Qt::NoModifier)
            return false;
        auto* focused = qobject_cast<QPushButton*>(window_->focusWidget());
        fire(focused ? focused : default_.data());
        return true;
    }

private:
    static void fire(QPushButton* button) {
        if (button && button->isVisible() && button->isEnabled())
            button->click();
    }

    // Qt's own defaults would move with the focus (auto-default) or be given to the first
    // accepting button of a button box; here only the declared default is one.
    void settle() {
        for (QPushButton* b : window_->findChildren<QPushButton*>()) {
            if (b->window() != window_)
                continue;
            b->setAutoDefault(false);
            b->setDefault(b == default_);
        }
    }

    QWidget* window_;
    QPointer<QPushButton> default_;
    QPointer<QPushButton> cancel_;
};

} // namespace

void ApplyButtonKeys(QWidget* window, QPushButton* defaultButton, QPushButton* cancelButton) {
    new ButtonKeys(window, defaultButton, cancelButton);
}

QDialogButtonBox* OkCancelBox(QWidget* parent, QPushButton* ok, QPushButton* cancel) {
    auto* box = new QDialogButtonBox(Qt::Horizontal, parent);
    if (ok)
        box->addButton(ok, QDialogButtonBox::AcceptRole);
    if (cancel)
        box->addButton(cancel, QDialogButtonBox::RejectRole);
    return box;
}
