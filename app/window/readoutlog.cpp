#include "readoutlog.h"

#include "Tools/clock.h"

bool ReadoutLog::open(const QString& path)
{
    itsFile.setFileName(path);
    return itsFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

void ReadoutLog::record(const QString& stateText, const QString& distanceText, bool bannerShown,
                        bool screenSaverShown)
{
    if (!itsFile.isOpen())
        return;
    const QString shown = QStringLiteral("%1;%2;%3;%4")
                              .arg(stateText, distanceText)
                              .arg(bannerShown ? 1 : 0)
                              .arg(screenSaverShown ? 1 : 0);
    if (shown == itsLastShown)
        return;
    itsLastShown = shown;
    const QString line = QString::number(NoxCore::Tools::Clock::currentMSecsSinceEpoch()) + QLatin1Char(';') +
                         shown + QLatin1Char('\n');
    itsFile.write(line.toUtf8());
    itsFile.flush();
}
