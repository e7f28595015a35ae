#include "qdistanceplot.h"

#include "getobjectscommand.h"
#include "logging.h"

#include "Communication/comstream.h"
#include "Tools/clock.h"

#include <QMutexLocker>

#include <algorithm>
#include <cmath>

using NoxCore::Tools::Clock;

namespace
{

const char* const TEST_DATA_FILE = "test_data.txt";

// Object zones of the median distance, in mm.
const double TOO_CLOSE_MAX_MM = 200.0;
const double PRESENCE_MAX_MM = 1000.0;
const double FAR_MAX_MM = 2500.0;
// Smoothed movement (mm per sample) from which an object counts as moving.
const double MOVEMENT_THRESHOLD = 3.0;
// A still object wanders less than this (max - min of the median distance).
const double STATIC_BAND_MM = 20.0;
// A still object counts as static after this long.
const qint64 STATIC_AFTER_MS = 10000;
// Presence is "recent" this long after the last moving object; then the screen saver may start.
const qint64 PRESENCE_HOLD_MS = 3000;

const double MOVEMENT_KEEP = 0.7;
const double CONFIDENCE_KEEP = 0.85;
const int MEDIAN_WINDOW = 7;

const double BAND_MAX_RESET = 0.0;
const double BAND_MIN_RESET = 65535.0;

QString stateName(int state)
{
    switch (state)
    {
    case STATE_NO_OBJECT:
        return QStringLiteral("STATE_NO_OBJECT");
    case STATE_OBJECT_TOO_CLOSE:
        return QStringLiteral("STATE_OBJECT_TOO_CLOSE");
    case STATE_OBJECT_PRESENCE:
        return QStringLiteral("STATE_OBJECT_PRESENCE");
    case STATE_OBJECT_FAR:
        return QStringLiteral("STATE_OBJECT_FAR");
    case STATE_STATIC:
        return QStringLiteral("STATE_STATIC");
    default:
        return QString();
    }
}

// Shortest of fixed and scientific notation with six significant digits, as the records use.
QString general6(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

QDistancePlot::QDistancePlot(QWidget* parent)
    : QCustomPlot(parent), itsLastPresenceMs(Clock::currentMSecsSinceEpoch()),
      itsStaticBandMax(BAND_MAX_RESET), itsStaticBandMin(BAND_MIN_RESET)
{
    for (int i = 0; i < SERIES_LENGTH; ++i)
        itsTimeSeries.append(-double(i) * NOMINAL_CYCLE_MS);
    itsDistanceSeries.fill(0.0, SERIES_LENGTH);
    itsRawDistanceSeries.fill(0.0, SERIES_LENGTH);
    itsMovementSeries.fill(0.0, SERIES_LENGTH);
    itsConfidenceSeries.fill(0.0, SERIES_LENGTH);

    // The value scale sits on the right; the top and right axes mirror the bottom and left ones.
    yAxis->setVisible(false);
    yAxis2->setVisible(true);
    connect(xAxis, QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), xAxis2,
            QOverload<const QCPRange&>::of(&QCPAxis::setRange));
    connect(yAxis, QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), yAxis2,
            QOverload<const QCPRange&>::of(&QCPAxis::setRange));

    itsGraphPen = QPen(Qt::gray);
    itsGraphPen.setWidthF(2.0);
    xAxis->setLabel(QStringLiteral("Elapsed Time [ms]"));
    yAxis2->setLabel(QStringLiteral("Distance [mm]"));

    clearGraphs();
    itsGraph = addGraph();
    itsGraph->setPen(itsGraphPen);
    itsGraph->setLineStyle(QCPGraph::lsStepLeft);

    itsCycleTimer.start();

    itsTestScriptMissing = !itsTestScript.load(QString::fromLatin1(TEST_DATA_FILE));
}

void QDistancePlot::measureDistance()
{
    QMutexLocker lock(&itsMutex);

    // Ages stay real: the samples grow older by however long this cycle really took.
    const double elapsedMs = double(itsCycleTimer.restart());
    itsTimeSeries.removeLast();
    for (double& age : itsTimeSeries)
        age -= elapsedMs;
    itsTimeSeries.prepend(0.0);

    // A failed exchange leaves the command's zero record: one such sample does not move the median.
    GetObjectsCommand command;
    const bool fromModule = isModuleStreamOpen();
    if (fromModule)
        itsModuleStream->execute(&command);
    ObjectRecord record = command.objectRecord();
    if (!fromModule)
        replayTestData(record);

    updateSeries(record);
    updateObjectState();
    updatePresence();
    // A board pulled during the exchange closes the stream: the client's request still gets its one
    // answer, the same refusal a request gets that arrives while no board is there.
    if (fromModule && !isModuleStreamOpen())
    {
        if (itsLogging != nullptr)
            itsLogging->writeText(QStringLiteral("#ERR;;No target system connected.\r\n"));
        return;
    }
    sendDemoData();
    // Only what the module really measured is streamed to a client, never the test script.
    if (itsLogging != nullptr && isModuleStreamOpen())
        itsLogging->writeObjects(command.objectCount(), record.confidence, record.distance,
                                 record.photonCountReference, record.photonCountObject);
}

void QDistancePlot::setLogging(Logging* logging)
{
    itsLogging = logging;
}

void QDistancePlot::setModuleStream(NoxCore::Communication::ComStream* moduleStream)
{
    itsModuleStream = moduleStream;
}

bool QDistancePlot::isModuleStreamOpen() const
{
    return itsModuleStream != nullptr && itsModuleStream->isOpen();
}

void QDistancePlot::updateGraph()
{
    itsGraph->setData(itsTimeSeries, itsDistanceSeries, false);
}

void QDistancePlot::replayTestData(ObjectRecord& record)
{
    // Said once, when test mode first needs the script: with a board the file is never missed.
    if (itsTestScriptMissing)
    {
        qWarning("Test mode: cannot read %s in the working folder; no object is shown.", TEST_DATA_FILE);
        itsTestScriptMissing = false;
    }
    itsTestScript.replay(record, Clock::currentMSecsSinceEpoch());
}

void QDistancePlot::shiftIn(QVector<double>& series, double newest)
{
    series.removeLast();
    series.prepend(newest);
}

void QDistancePlot::updateSeries(const ObjectRecord& record)
{
    const double rawDistance = record.distance;

    itsLastDistanceChange = std::trunc(std::fabs(rawDistance - itsRawDistanceSeries.first()));
    itsLastMovement =
        MOVEMENT_KEEP * itsMovementSeries.first() + (1.0 - MOVEMENT_KEEP) * itsLastDistanceChange;
    shiftIn(itsMovementSeries, itsLastMovement);

    itsLastRawConfidence = record.confidence;
    itsLastSmoothedConfidence =
        CONFIDENCE_KEEP * itsConfidenceSeries.first() + (1.0 - CONFIDENCE_KEEP) * itsLastRawConfidence;
    shiftIn(itsConfidenceSeries, itsLastSmoothedConfidence);

    itsLastRawDistance = rawDistance;
    shiftIn(itsRawDistanceSeries, rawDistance);

    // The median of seven ignores up to three outliers, which single-sample spikes of the sensor are.
    double window[MEDIAN_WINDOW];
    std::copy(itsRawDistanceSeries.cbegin(), itsRawDistanceSeries.cbegin() + MEDIAN_WINDOW, window);
    std::sort(window, window + MEDIAN_WINDOW);
    itsLastMedianDistance = window[MEDIAN_WINDOW / 2];
    shiftIn(itsDistanceSeries, itsLastMedianDistance);

    itsPhotonCountReference = record.photonCountReference;
    itsPhotonCountObject = record.photonCountObject;
}

void QDistancePlot::resetStaticTracking()
{
    itsStaticBandMax = BAND_MAX_RESET;
    itsStaticBandMin = BAND_MIN_RESET;
    itsStaticStartMs = 0;
}

void QDistancePlot::markPresence(qint64 nowMs)
{
    itsObjectState = STATE_OBJECT_PRESENCE;
    itsLastPresenceMs = nowMs;
}

void QDistancePlot::updateObjectState()
{
    const double distance = itsDistanceSeries.first();
    const double movement = itsMovementSeries.first();
    itsObjectState = STATE_NO_OBJECT;

    if (distance == 0.0)
    {
        resetStaticTracking();
    }
    else if (distance <= TOO_CLOSE_MAX_MM)
    {
        resetStaticTracking();
        itsObjectState = STATE_OBJECT_TOO_CLOSE;
    }
    else if (distance <= PRESENCE_MAX_MM)
    {
        if (movement >= MOVEMENT_THRESHOLD)
        {
            resetStaticTracking();
            markPresence(Clock::currentMSecsSinceEpoch());
            return;
        }
        itsStaticBandMax = std::max(itsStaticBandMax, distance);
        itsStaticBandMin = std::min(itsStaticBandMin, distance);
        if (itsStaticBandMax - itsStaticBandMin >= STATIC_BAND_MM)
        {
            resetStaticTracking();
            markPresence(Clock::currentMSecsSinceEpoch());
            return;
        }
        // Barely moving and within a narrow band: a candidate for a static object.
        const qint64 nowMs = Clock::currentMSecsSinceEpoch();
        if (itsStaticStartMs == 0)
            itsStaticStartMs = nowMs;
        if (nowMs - itsStaticStartMs > STATIC_AFTER_MS)
            itsObjectState = STATE_STATIC;
        else
            markPresence(nowMs);
    }
    else if (distance <= FAR_MAX_MM)
    {
        resetStaticTracking();
        itsObjectState = STATE_OBJECT_FAR;
    }
    // Beyond the far zone nothing is detected, but a static period survives a short dropout.
}

void QDistancePlot::updatePresence()
{
    itsPresenceRecent = (Clock::currentMSecsSinceEpoch() - itsLastPresenceMs <= PRESENCE_HOLD_MS) ? 1 : 0;
}

QString QDistancePlot::demoDataRecord() const
{
    const QChar separator = QLatin1Char(';');
    return QStringLiteral("#DEMODATA;") + QString::number(Clock::currentMSecsSinceEpoch()) + separator +
           general6(itsLastRawDistance) + separator + general6(itsLastMedianDistance) + separator +
           general6(itsLastRawConfidence) + separator + general6(itsLastSmoothedConfidence) + separator +
           general6(itsLastDistanceChange) + separator + general6(itsLastMovement) + separator +
           stateName(itsObjectState) + separator +
           (itsPresenceRecent ? QStringLiteral("SCREEN_SAVER_OFF") : QStringLiteral("SCREEN_SAVER_ON")) +
           separator + general6(itsStaticBandMax) + separator + general6(itsStaticBandMin) + separator +
           QString::number(itsLastPresenceMs) + QStringLiteral("\r\n");
}

void QDistancePlot::sendDemoData()
{
    const QString record = demoDataRecord();
    if (itsLogging != nullptr && isModuleStreamOpen())
        itsLogging->writeText(record);
}
