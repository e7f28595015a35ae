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

    // The path the picture goes to: path as chosen when it ends in .png or .pdf, else with the extension of
    // the file dialog's filter appended (a name without one would be written in no known format).
    static QString completedPath(const QString& path, const QString& filter);

    // Writes the picture to path whole or not at all (an existing file stays as it was); on failure,
    // reason is the system's reason.
    bool save(const QString& path, QString* reason) const;

private slots:
    void onSaveChartTriggered();

private:
    QCustomPlot* itsChart;
    QCustomPlot* itsHistory;
    QDockWidget* itsHistoryDock;
    QWidget* itsDialogParent;
};

#endif
