#include "ui/QtPrompts.h"

#include "shell/Version.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace orvella {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

std::optional<std::string> chosen(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

// Every box carries the program's name as its title.
QString title() {
    return kApplicationTitle;
}

} // namespace

void QtPrompts::showMessage(const std::string& text) {
    QMessageBox::information(QApplication::activeWindow(), title(), q(text));
}

bool QtPrompts::confirm(const std::string& text) {
    return QMessageBox::question(QApplication::activeWindow(), title(), q(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtPrompts::askText(const std::string& caption, const std::string& prompt,
                                              const std::string& initial) {
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), q(caption), q(prompt),
                                         QLineEdit::Normal, q(initial), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtPrompts::askPassword(const std::string& caption,
                                                  const std::string& prompt) {
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), q(caption), q(prompt),
                                         QLineEdit::Password, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> QtPrompts::chooseFileToOpen(const std::string& caption,
                                                       const std::string& filter) {
    return chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), q(caption), QString(),
                                               q(filter)));
}

std::vector<std::string> QtPrompts::chooseFilesToOpen(const std::string& caption,
                                                      const std::string& filter) {
    std::vector<std::string> files;
    for (const QString& file : QFileDialog::getOpenFileNames(QApplication::activeWindow(),
                                                             q(caption), QString(), q(filter)))
        files.push_back(file.toStdString());
    return files;
}

std::optional<std::string> QtPrompts::chooseFileToSave(const std::string& caption,
                                                       const std::string& filter,
                                                       const std::string& suggestedName) {
    return chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), q(caption),
                                               q(suggestedName), q(filter)));
}

std::optional<std::string> QtPrompts::chooseFolder(const std::string& caption,
                                                   const std::string& initialFolder) {
    return chosen(QFileDialog::getExistingDirectory(QApplication::activeWindow(), q(caption),
                                                    q(initialFolder)));
}

} // namespace orvella
