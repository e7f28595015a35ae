#ifndef LIDORA_WARNINGBOX_H
#define LIDORA_WARNINGBOX_H

#include <QString>

class QWidget;

// A warning that leaves the event loop alone: measuring and recording go on while the message is read.
class WarningBox
{
public:
    // Titled like parent's window; deletes itself when closed.
    static void show(QWidget* parent, const QString& text);
};

#endif
