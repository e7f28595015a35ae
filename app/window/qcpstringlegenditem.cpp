#include "qcpstringlegenditem.h"

QCPStringLegendItem::QCPStringLegendItem(QCPLegend* parent, const QString& text)
    : QCPAbstractLegendItem(parent), itsText(text)
{
}

QRect QCPStringLegendItem::textRect() const
{
    return QFontMetrics(mFont).boundingRect(0, 0, 0, 0, Qt::TextDontClip, itsText);
}

void QCPStringLegendItem::draw(QCPPainter* painter)
{
    painter->setFont(mFont);
    painter->setPen(QPen(mTextColor));
    QRect rect = textRect();
    rect.moveTopLeft(mRect.topLeft() + QPoint(mMargins.left(), 0));
    painter->drawText(rect, Qt::TextDontClip | Qt::AlignHCenter, itsText);
}

QSize QCPStringLegendItem::minimumOuterSizeHint() const
{
    const QRect rect = textRect();
    return QSize(rect.width() + mMargins.left() + mMargins.right(),
                 rect.height() + mMargins.top() + mMargins.bottom());
}
