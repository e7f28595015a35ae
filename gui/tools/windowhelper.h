#ifndef NOXGUI_TOOLS_WINDOWHELPER_H
#define NOXGUI_TOOLS_WINDOWHELPER_H

class QApplication;
class QSplashScreen;
class QWidget;

namespace NoxGui
{
namespace WindowHelper
{

// The common look of the Nox programs: program icon, application style sheet and start-up splash.

void setWindowIcon(QWidget* widget);
// Appends the common style sheet to whatever the application already has.
void loadStyleSheet(QApplication* application);
// The caller owns the splash screen.
QSplashScreen* createSplashScreen();

} // namespace WindowHelper
} // namespace NoxGui

#endif
