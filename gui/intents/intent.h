#ifndef NOXGUI_INTENTS_INTENT_H
#define NOXGUI_INTENTS_INTENT_H

#include "iintent.h"

#include <QObject>

namespace NoxGui
{
namespace Intents
{

// A command registered with the IntentManager for exactly its lifetime. The owner deletes it.
class Intent : public QObject, public virtual IIntent
{
    Q_OBJECT
    Q_INTERFACES(NoxGui::Intents::IIntent)

public:
    // The name is not copied: pass a string that lives as long as the program, such as a literal.
    Intent(const char* name, const QString& text, const QIcon& icon, const QString& toolTip, bool checkable);
    ~Intent() override;

    QString text() const override { return itsText; }
    const char* name() const override { return itsName; }
    QString toolTip() const override { return itsToolTip; }
    QIcon icon() const override { return itsIcon; }
    bool isCheckable() const override { return itsCheckable; }

public slots:
    // Runs the intent's executor slots; from a menu entry they learn its checked state.
    void execute() override;

private:
    const char* itsName;
    QString itsText;
    QIcon itsIcon;
    QString itsToolTip;
    bool itsCheckable;
};

} // namespace Intents
} // namespace NoxGui

#endif
