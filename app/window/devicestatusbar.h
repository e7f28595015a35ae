#ifndef LIDORA_DEVICESTATUSBAR_H
#define LIDORA_DEVICESTATUSBAR_H

#include <QWidget>

namespace Ui
{
class DeviceStatusBar;
}

namespace NoxGui
{
namespace Controls
{
class NoxStatusField;
}
} // namespace NoxGui

// The four status fields at the bottom of the main window: control channel, module channel, register
// loopback and automation client. The last two start hidden.
class DeviceStatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit DeviceStatusBar(QWidget* parent);
    ~DeviceStatusBar() override;

    NoxGui::Controls::NoxStatusField* controlHidField() const;
    NoxGui::Controls::NoxStatusField* moduleHidField() const;
    NoxGui::Controls::NoxStatusField* loopbackField() const;
    NoxGui::Controls::NoxStatusField* automationField() const;

private:
    Ui::DeviceStatusBar* ui;
};

#endif
