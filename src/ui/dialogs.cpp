#include "dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace velmora::ui {

Dialogs::Answer MessageBoxDialogs::askYesNoCancel(QWidget *parent, const QString &text)
{
    const auto button = QMessageBox::question(
        parent, QApplication::applicationDisplayName(), text,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void MessageBoxDialogs::inform(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
}

} // namespace velmora::ui

namespace velmora::ui {

void MessageBoxDialogs::notify(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, QApplication::applicationDisplayName(),
                                text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace velmora::ui
