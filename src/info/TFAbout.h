// The About dialog: the product's picture, name, function and version, and the maker's web page.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    QLabel* Image2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4; // web page link
    QLabel* Label5; // support mail link, hidden
    QPushButton* LbButton1;

    // How addresses are opened; tests replace it so nothing is launched.
    std::function<void(const QUrl&)> openUrl;

    void Label4Click();
    void Label5Click();
    void LbButton1Click();

protected:
    void showEvent(QShowEvent* event) override;
};
