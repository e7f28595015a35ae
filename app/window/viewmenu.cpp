#include "viewmenu.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace
{

// Which panels the user chose to see, kept in the user's settings.
const char* const SETTINGS_ORGANISATION = "nox";
const char* const SETTINGS_APPLICATION = "LIDORA";
const char* const VIEW_HISTORY_KEY = "View/History";
const char* const VIEW_STATISTICS_KEY = "View/Statistics";
const char* const VIEW_MEASUREMENT_PANEL_KEY = "View/MeasurementPanel";

QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(SETTINGS_ORGANISATION), QString::fromLatin1(SETTINGS_APPLICATION));
}

} // namespace

ViewMenu::ViewMenu(QMainWindow* window, QWidget* measurementPanel, QDockWidget* history,
                   QDockWidget* statistics)
    : QObject(window)
{
    QMenuBar* menuBar = window->menuBar();
    auto* viewMenu = new QMenu(tr("View"), menuBar);
    menuBar->insertMenu(menuBar->actions().value(1), viewMenu);
    // The measurement panel leaves the form's grid for a dock of its own on the right, which the right-hand
    // dock area lets run the window's full height: beside the history it would be squeezed.
    auto* measurementDock = new QDockWidget(tr("Measurement Panel"), window);
    measurementDock->setObjectName(QStringLiteral("dwMeasurement"));
    measurementDock->setWidget(measurementPanel);
    window->addDockWidget(Qt::RightDockWidgetArea, measurementDock);
    window->setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    window->setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    connect(measurementDock->toggleViewAction(), &QAction::toggled, measurementPanel, &QWidget::setVisible);
    history->toggleViewAction()->setText(tr("History"));
    statistics->toggleViewAction()->setText(tr("Statistics"));

    const QSettings settings = userSettings();
    const std::pair<QDockWidget*, const char*> entries[] = {{history, VIEW_HISTORY_KEY},
                                                            {statistics, VIEW_STATISTICS_KEY},
                                                            {measurementDock, VIEW_MEASUREMENT_PANEL_KEY}};
    for (const auto& entry : entries)
    {
        const QString key = QString::fromLatin1(entry.second);
        viewMenu->addAction(entry.first->toggleViewAction());
        entry.first->setVisible(settings.value(key, false).toBool());
        // Only the user's choice is kept, not a panel hidden because the window closes.
        connect(entry.first->toggleViewAction(), &QAction::triggered, this,
                [key](bool checked) { userSettings().setValue(key, checked); });
    }
}
