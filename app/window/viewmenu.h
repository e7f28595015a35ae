#ifndef LIDORA_VIEWMENU_H
#define LIDORA_VIEWMENU_H

#include <QObject>

class QDockWidget;
class QMainWindow;
class QWidget;

// The View menu: history, statistics and the measurement panel, each shown or hidden by the user, who finds
// them as left at the previous start. Nothing new shows unless the user asked for it once.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    // Puts measurementPanel into a dock of its own and the menu in front of the window's second menu.
    ViewMenu(QMainWindow* window, QWidget* measurementPanel, QDockWidget* history, QDockWidget* statistics);
};

#endif
