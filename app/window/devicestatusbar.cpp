#include "devicestatusbar.h"

#include "ui_devicestatusbar.h"

DeviceStatusBar::DeviceStatusBar(QWidget* parent) : QWidget(parent), ui(new Ui::DeviceStatusBar)
{
    ui->setupUi(this);
    ui->sfRegLoopback->hide();
    ui->sfAutomationStatus->hide();
}

DeviceStatusBar::~DeviceStatusBar()
{
    delete ui;
}

NoxGui::Controls::NoxStatusField* DeviceStatusBar::controlHidField() const
{
    return ui->sfControlHID;
}

NoxGui::Controls::NoxStatusField* DeviceStatusBar::moduleHidField() const
{
    return ui->sfModuleHID;
}

NoxGui::Controls::NoxStatusField* DeviceStatusBar::loopbackField() const
{
    return ui->sfRegLoopback;
}

NoxGui::Controls::NoxStatusField* DeviceStatusBar::automationField() const
{
    return ui->sfAutomationStatus;
}
