#include "warningbox.h"

#include <QMessageBox>

void WarningBox::show(QWidget* parent, const QString& text)
{
    auto* box =
        new QMessageBox(QMessageBox::Warning, parent->window()->windowTitle(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
