#include "chartexport.h"

#include "warningbox.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QPageSize>
#include <QPdfWriter>

#include <qcustomplot.h>

ChartExport::ChartExport(QCustomPlot* chart, QCustomPlot* history, QDockWidget* historyDock, QMenu* fileMenu,
                         QAction* before, QWidget* dialogParent)
    : QObject(dialogParent), itsChart(chart), itsHistory(history), itsHistoryDock(historyDock),
      itsDialogParent(dialogParent)
{
    auto* action = new QAction(tr("Save Chart As…"), this);
    connect(action, &QAction::triggered, this, &ChartExport::onSaveChartTriggered);
    fileMenu->insertAction(before, action);
    fileMenu->insertSeparator(before);
}

void ChartExport::onSaveChartTriggered()
{
    const QString path =
        QFileDialog::getSaveFileName(itsDialogParent, tr("Save Chart As"), QStringLiteral("chart.png"),
                                     tr("PNG image (*.png);;PDF document (*.pdf)"));
    if (!path.isEmpty() && !save(path))
        WarningBox::show(itsDialogParent, tr("Cannot write the chart to %1.").arg(path));
}

bool ChartExport::save(const QString& path) const
{
    QList<QCustomPlot*> plots{itsChart};
    if (itsHistoryDock->isVisible())
        plots.append(itsHistory);
    QSize size(0, 0);
    for (QCustomPlot* plot : plots)
        size = QSize(std::max(size.width(), plot->width()), size.height() + plot->height());
    // One picture, the plots one below the other, each drawn anew at its size on the screen: vector
    // graphics in a PDF.
    const auto paint = [&plots](QPaintDevice& device)
    {
        QCPPainter painter(&device);
        int top = 0;
        for (QCustomPlot* plot : plots)
        {
            painter.save();
            painter.translate(0, top);
            plot->toPainter(&painter, plot->width(), plot->height());
            painter.restore();
            top += plot->height();
        }
        return painter.end();
    };
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
    {
        const int screenDpi = 96;
        QPdfWriter writer(path);
        writer.setResolution(screenDpi);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(size) * 72.0 / screenDpi, QPageSize::Point));
        return paint(writer) && QFileInfo(path).size() > 0;
    }
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return paint(image) && image.save(path);
}
