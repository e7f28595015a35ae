#ifndef LIDORA_CHARTEXPORT_H
#define LIDORA_CHARTEXPORT_H

#include <QObject>

class QAction;
class QCustomPlot;
class QDockWidget;
class QMenu;
class QWidget;

// The File menu's "Save Chart As…": the chart, and the history when its panel is shown, one below the other
// in one picture, as PNG or (for a path ending in .pdf) PDF.
class ChartExport : public QObject
{
    Q_OBJECT

public:
    // Puts the entry into fileMenu in front of before; dialogs and warnings open over dialogParent.
    ChartExport(QCustomPlot* chart, QCustomPlot* history, QDockWidget* historyDock, QMenu* fileMenu,
                QAction* before, QWidget* dialogParent);

    bool save(const QString& path) const;

private slots:
    void onSaveChartTriggered();

private:
    QCustomPlot* itsChart;
    QCustomPlot* itsHistory;
    QDockWidget* itsHistoryDock;
    QWidget* itsDialogParent;
};

#endif
