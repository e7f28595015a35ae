#ifndef LIDORA_QDISTANCEPLOT_H
#define LIDORA_QDISTANCEPLOT_H

#include "objectrecord.h"
#include "objectstate.h"
#include "testscript.h"

#include "Tools/elapsedtimer.h"

#include <QMutex>
#include <QPen>
#include <QVector>

#include <qcustomplot.h>

class Logging;

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
} // namespace NoxCore

// The distance-over-time chart and the owner of the measurement cycle: every measureDistance() fetches
// one object record (from the module, or from the test script in test mode), filters it, classifies the
// object and keeps the newest SERIES_LENGTH samples, newest first. Runs on the GUI thread only.
class QDistancePlot : public QCustomPlot
{
    Q_OBJECT

public:
    static constexpr int SERIES_LENGTH = 200;
    // Nominal cycle, used for the ages of the samples that exist before the first measurement.
    static constexpr int NOMINAL_CYCLE_MS = 33;

    // Loads the test script: test_data.txt in the working folder, else the installed one.
    explicit QDistancePlot(QWidget* parent);

    // The automation client's record writer, not owned; null when no client is connected.
    void setLogging(Logging* logging);
    // The module's com stream, not owned; null (or closed) means test mode.
    void setModuleStream(NoxCore::Communication::ComStream* moduleStream);

    // Hands the time series (keys) and the distance series (values) to the graph.
    void updateGraph();

    // Processing steps of one measurement, in the order measureDistance() runs them.
    void replayTestData(ObjectRecord& record);
    void updateSeries(const ObjectRecord& record);
    void updateObjectState();
    void updatePresence();
    void sendDemoData();

    // The "#DEMODATA;" record of the newest sample, time-stamped now.
    QString demoDataRecord() const;

    QVector<double> timeSeries() const { return itsTimeSeries; }
    QVector<double> distanceSeries() const { return itsDistanceSeries; }
    QVector<double> rawDistanceSeries() const { return itsRawDistanceSeries; }
    QVector<double> movementSeries() const { return itsMovementSeries; }
    QVector<double> confidenceSeries() const { return itsConfidenceSeries; }
    quint32 photonCountReference() const { return itsPhotonCountReference; }
    quint32 photonCountObject() const { return itsPhotonCountObject; }
    int objectState() const { return itsObjectState; }
    int isPresenceRecent() const { return itsPresenceRecent; }

public slots:
    void measureDistance();

protected:
    // Newest first. Protected so that a subclass can present samples the filters would never produce.
    QVector<double> itsTimeSeries;
    QVector<double> itsDistanceSeries;
    QVector<double> itsRawDistanceSeries;
    QVector<double> itsMovementSeries;
    QVector<double> itsConfidenceSeries;

private:
    void resetStaticTracking();
    void markPresence(qint64 nowMs);
    bool isModuleStreamOpen() const;
    static void shiftIn(QVector<double>& series, double newest);

    quint32 itsPhotonCountReference = 0;
    quint32 itsPhotonCountObject = 0;
    QMutex itsMutex;
    QPen itsGraphPen;
    NoxCore::Tools::ElapsedTimer itsCycleTimer;
    Logging* itsLogging = nullptr;
    NoxCore::Communication::ComStream* itsModuleStream = nullptr;
    QCPGraph* itsGraph = nullptr;

    int itsObjectState = STATE_NO_OBJECT;
    int itsPresenceRecent = 0;
    qint64 itsLastPresenceMs;
    double itsStaticBandMax;
    double itsStaticBandMin;
    qint64 itsStaticStartMs = 0;
    double itsLastRawDistance = 0.0;
    double itsLastMedianDistance = 0.0;
    double itsLastRawConfidence = 0.0;
    double itsLastSmoothedConfidence = 0.0;
    double itsLastDistanceChange = 0.0;
    double itsLastMovement = 0.0;
    TestScript itsTestScript;
    bool itsTestScriptMissing = false;
};

#endif
