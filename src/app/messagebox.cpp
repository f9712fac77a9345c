#include "messagebox.h"

#include <QMessageBox>

void showMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("KLV-90"), text, QMessageBox::Ok, parent);
    box.exec();
}
