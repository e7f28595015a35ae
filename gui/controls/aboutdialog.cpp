#include "aboutdialog.h"

#include "tools/windowhelper.h"
#include "ui_aboutdialog.h"

#include "Tools/versioninfo.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>

namespace NoxGui
{
namespace Controls
{

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::NoxGui__Controls__AboutDialog)
{
    // The icon first: the window helper registers the library's pictures, which the form uses too.
    WindowHelper::setWindowIcon(this);
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("About"));
    ui->lbQt->setText(
        ui->lbQt->text().replace(QStringLiteral("__QT_VERSION__"), QStringLiteral(QT_VERSION_STR)));
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

void AboutDialog::setVersionInfo(NoxCore::Tools::VersionInfo* versionInfo)
{
    itsVersionInfo = versionInfo;
    if (itsVersionInfo != nullptr)
    {
        ui->lbApplicationName->setText(itsVersionInfo->productNameString());
        ui->lbApplicationVersion->setText(
            QStringLiteral("Product Version: %1").arg(itsVersionInfo->fileVersionString()));
    }
    else
    {
        ui->lbApplicationName->setText(QStringLiteral("Application name not defined"));
        ui->lbApplicationVersion->setText(QStringLiteral("ProductVersion: unknown"));
    }
}

QString AboutDialog::buildInfoText()
{
    return QStringLiteral("<b>Qt version:</b> <br>Qt ") + QStringLiteral(QT_VERSION_STR);
}

QString AboutDialog::plainText(const QString& richText)
{
    QString text = richText;
    text.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return text;
}

void AboutDialog::on_pbShowDetailInfo_clicked()
{
    const QString text = buildInfoText();
    QGuiApplication::clipboard()->setText(plainText(text));
    QMessageBox::information(
        this, tr("Build Info"),
        text + QStringLiteral("  <br><br><small>This information has been copied to your clipboard</small>"),
        QMessageBox::Close);
}

} // namespace Controls
} // namespace NoxGui
