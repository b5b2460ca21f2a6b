#include "ui/widgets/UserPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace nimbar {

void DialogPrompts::showMessage(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationName(), text);
}

bool DialogPrompts::confirm(QWidget* parent, const QString& text, const QString& caption) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

void DialogPrompts::beep() {
    QApplication::beep();
}

} // namespace nimbar

namespace nimbar {

QString DialogPrompts::inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                const QString& prefill) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, prefill, &ok);
    return ok ? answer : prefill;
}

} // namespace nimbar
