#include "windowhelper.h"

#include "Tools/noxassert.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QSplashScreen>
#include <QWidget>

// The pictures live in this static library; a program linking it only references them by name, so
// they are registered on first use. Q_INIT_RESOURCE must be called outside any namespace.
static void ensureGuiResources()
{
    static const bool registered = []
    {
        Q_INIT_RESOURCE(noxgui);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace NoxGui
{
namespace WindowHelper
{

void setWindowIcon(QWidget* widget)
{
    NOX_ASSERT(widget != NULL, "widget is Null!");
    ensureGuiResources();
    widget->setWindowIcon(QIcon(QStringLiteral(":/icons/icons/noxlogo")));
}

void loadStyleSheet(QApplication* application)
{
    NOX_ASSERT(application != NULL, "application is Null!");
    ensureGuiResources();
    QFile file(QStringLiteral(":/css/css/styles.css"));
    const bool success = file.open(QIODevice::ReadOnly | QIODevice::Text);
    NOX_ASSERT(success, "Can't open styles.css");
    const QString styleSheet = QString::fromUtf8(file.readAll());
    file.close();
    application->setStyleSheet(application->styleSheet() + styleSheet);
}

QSplashScreen* createSplashScreen()
{
    ensureGuiResources();
    return new QSplashScreen(QPixmap(QStringLiteral(":/logos/nox_quadr")));
}

} // namespace WindowHelper
} // namespace NoxGui
