#include "common/QtPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QWidget* owner() {
    return QApplication::activeWindow();
}

QString title() {
    return QApplication::applicationDisplayName();
}

} // namespace

void QtPrompter::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, owner());
    box.exec();
}

void QtPrompter::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok, owner());
    box.exec();
}

bool QtPrompter::question(const QString& boxTitle, const QString& text) {
    QMessageBox box(QMessageBox::Question, boxTitle.isEmpty() ? title() : boxTitle, text,
                    QMessageBox::Yes | QMessageBox::No, owner());
    return box.exec() == QMessageBox::Yes;
}

void QtPrompter::errorReport(const QString& text) {
    QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok, owner());
    box.exec();
}

std::optional<QString> QtPrompter::chooseFolder(const QString& prompt, const QString& root,
                                                const QString& preselected) {
    // Qt's own dialog, so that the chooser can be kept inside `root`.
    QFileDialog dialog(owner(), prompt, preselected.isEmpty() ? root : preselected);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const QString rootPath = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&](const QString& dir) {
        const QString clean = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
        if (!rootPath.isEmpty() && clean != rootPath &&
            !clean.startsWith(rootPath + QLatin1Char('/')))
            dialog.setDirectory(rootPath);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen =
        QDir::cleanPath(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
    if (!rootPath.isEmpty() && chosen != rootPath &&
        !chosen.startsWith(rootPath + QLatin1Char('/')))
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

std::optional<QString> QtPrompter::chooseOpenFile(const QString& boxTitle, const QString& folder,
                                                  const QString& filter) {
    const QString chosen = QFileDialog::getOpenFileName(owner(), boxTitle, folder, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}
