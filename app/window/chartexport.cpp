#include "chartexport.h"

#include "warningbox.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QMenu>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

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

namespace
{

const char* const PNG_EXTENSION = ".png";
const char* const PDF_EXTENSION = ".pdf";

bool hasExtension(const QString& path, const char* extension)
{
    return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}

} // namespace

QString ChartExport::completedPath(const QString& path, const QString& filter)
{
    if (hasExtension(path, PNG_EXTENSION) || hasExtension(path, PDF_EXTENSION))
        return path;
    const QRegularExpressionMatch extension =
        QRegularExpression(QStringLiteral("\\*(\\.\\w+)")).match(filter);
    return path + (extension.hasMatch() ? extension.captured(1) : QString::fromLatin1(PNG_EXTENSION));
}

void ChartExport::onSaveChartTriggered()
{
    QString filter;
    const QString chosen =
        QFileDialog::getSaveFileName(itsDialogParent, tr("Save Chart As"), QStringLiteral("chart.png"),
                                     tr("PNG image (*.png);;PDF document (*.pdf)"), &filter);
    if (chosen.isEmpty())
        return;
    const QString path = completedPath(chosen, filter);
    QString reason;
    if (!save(path, &reason))
        WarningBox::show(itsDialogParent,
                         tr("Cannot write the chart to %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

bool ChartExport::save(const QString& path, QString* reason) const
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
    // Written beside the file and moved over it when complete, so that a full disk leaves no half picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
    {
        *reason = file.errorString();
        return false;
    }
    bool painted = false;
    if (hasExtension(path, PDF_EXTENSION))
    {
        const int screenDpi = 96;
        QPdfWriter writer(&file);
        writer.setResolution(screenDpi);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(size) * 72.0 / screenDpi, QPageSize::Point));
        painted = paint(writer);
    }
    else
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        painted = paint(image);
        QImageWriter writer(&file, "png");
        if (painted && !writer.write(image))
        {
            *reason = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
            return false;
        }
    }
    if (!painted)
    {
        *reason = tr("The chart could not be drawn.");
        return false;
    }
    if (!file.commit())
    {
        *reason = file.errorString();
        return false;
    }
    return true;
}
