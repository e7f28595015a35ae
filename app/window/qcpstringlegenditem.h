#ifndef LIDORA_QCPSTRINGLEGENDITEM_H
#define LIDORA_QCPSTRINGLEGENDITEM_H

#include <qcustomplot.h>

// A legend row that shows plain text instead of a plottable's name and icon.
class QCPStringLegendItem : public QCPAbstractLegendItem
{
    Q_OBJECT

public:
    QCPStringLegendItem(QCPLegend* parent, const QString& text);

    QString text() const { return itsText; }
    void setText(const QString& text) { itsText = text; }

protected:
    void draw(QCPPainter* painter) override;
    QSize minimumOuterSizeHint() const override;

private:
    QRect textRect() const;

    QString itsText;
};

#endif
