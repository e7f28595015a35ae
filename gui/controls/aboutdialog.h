#ifndef NOXGUI_CONTROLS_ABOUTDIALOG_H
#define NOXGUI_CONTROLS_ABOUTDIALOG_H

#include <QDialog>

namespace Ui
{
class NoxGui__Controls__AboutDialog;
}

namespace NoxCore
{
namespace Tools
{
class VersionInfo;
}
} // namespace NoxCore

namespace NoxGui
{
namespace Controls
{

// Name and version of the program from its version table, the legal notices, and on request the build
// details, which are also copied to the clipboard for bug reports.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    // Not owned; null shows that the name and version are unknown.
    void setVersionInfo(NoxCore::Tools::VersionInfo* versionInfo);

    // The build details as shown (rich text) and as put on the clipboard (plain text).
    static QString buildInfoText();
    static QString plainText(const QString& richText);

public slots:
    void on_pbShowDetailInfo_clicked();

private:
    Ui::NoxGui__Controls__AboutDialog* ui;
    NoxCore::Tools::VersionInfo* itsVersionInfo = nullptr;
};

} // namespace Controls
} // namespace NoxGui

#endif
