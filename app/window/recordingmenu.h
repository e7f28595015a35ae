#ifndef LIDORA_RECORDINGMENU_H
#define LIDORA_RECORDINGMENU_H

#include <QObject>

class MeasurementEngine;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;

// The File menu's recording and replay entries, and the recording's progress in the status bar. Acts on the
// engine and follows what it says, so that a recording ended by a full disk shows as ended too.
class RecordingMenu : public QObject
{
    Q_OBJECT

public:
    // Puts the entries into fileMenu in front of before and the progress into statusBar; dialogs and
    // warnings open over dialogParent.
    RecordingMenu(MeasurementEngine& engine, QMenu* fileMenu, QAction* before, QStatusBar* statusBar,
                  QWidget* dialogParent);

    // Rows and length of the running recording; called as often as the statistics are drawn.
    void updateStatus();

private slots:
    void onStartRecordingTriggered();
    void onStopRecordingTriggered();
    void onOpenRecordingTriggered();
    void onStopReplayTriggered();
    void onItsEngineRecordingChanged();
    void onItsEngineRecordingFailed(const QString& message);
    void updateActions();

private:
    MeasurementEngine& itsEngine;
    QWidget* itsDialogParent;
    QLabel* itsStatusLabel;
    QAction* itsStartRecordingAction = nullptr;
    QAction* itsStopRecordingAction = nullptr;
    QAction* itsStopReplayAction = nullptr;
};

#endif
