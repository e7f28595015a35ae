#include "recordingmenu.h"

#include "measurementengine.h"
#include "warningbox.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace
{

// "1:05" for 65 s; hours only when there are any.
QString lengthText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return seconds >= 3600
               ? QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60)
               : QString::asprintf("%lld:%02lld", seconds / 60, seconds % 60);
}

} // namespace

RecordingMenu::RecordingMenu(MeasurementEngine& engine, QMenu* fileMenu, QAction* before,
                             QStatusBar* statusBar, QWidget* dialogParent)
    : QObject(dialogParent), itsEngine(engine), itsDialogParent(dialogParent),
      itsStatusLabel(new QLabel(statusBar))
{
    statusBar->addWidget(itsStatusLabel);
    const auto add = [this, fileMenu, before](const QString& text, void (RecordingMenu::*slot)())
    {
        auto* action = new QAction(text, this);
        connect(action, &QAction::triggered, this, slot);
        fileMenu->insertAction(before, action);
        return action;
    };
    itsStartRecordingAction = add(tr("Start Recording…"), &RecordingMenu::onStartRecordingTriggered);
    itsStopRecordingAction = add(tr("Stop Recording"), &RecordingMenu::onStopRecordingTriggered);
    fileMenu->insertSeparator(before);
    add(tr("Open Recording…"), &RecordingMenu::onOpenRecordingTriggered);
    itsStopReplayAction = add(tr("Stop Replay"), &RecordingMenu::onStopReplayTriggered);
    fileMenu->insertSeparator(before);

    connect(&engine, &MeasurementEngine::recordingChanged, this, &RecordingMenu::onItsEngineRecordingChanged);
    connect(&engine, &MeasurementEngine::recordingFailed, this, &RecordingMenu::onItsEngineRecordingFailed);
    connect(&engine, &MeasurementEngine::replayStarted, this, &RecordingMenu::updateActions);
    connect(&engine, &MeasurementEngine::replayEnded, this, &RecordingMenu::updateActions);
    updateActions();
}

void RecordingMenu::updateActions()
{
    const bool recording = itsEngine.recorder().isRecording();
    itsStartRecordingAction->setEnabled(!recording);
    itsStopRecordingAction->setEnabled(recording);
    itsStopReplayAction->setEnabled(itsEngine.isReplaying());
}

void RecordingMenu::updateStatus()
{
    const MeasurementRecorder& recorder = itsEngine.recorder();
    if (!recorder.isRecording())
    {
        itsStatusLabel->clear();
        return;
    }
    itsStatusLabel->setText(tr("Recording %1: %2 rows, %3")
                                .arg(QFileInfo(recorder.path()).fileName())
                                .arg(recorder.rowCount())
                                .arg(lengthText(recorder.lengthMs())));
}

void RecordingMenu::onStartRecordingTriggered()
{
    // The dialog asks before it lets the user pick a file that exists.
    const QString path =
        QFileDialog::getSaveFileName(itsDialogParent, tr("Start Recording"), QStringLiteral("recording.csv"),
                                     tr("CSV recordings (*.csv)"));
    QString errorText;
    if (!path.isEmpty() && !itsEngine.startRecording(path, true, &errorText))
        WarningBox::show(itsDialogParent, tr("Cannot record: %1.").arg(errorText));
}

void RecordingMenu::onStopRecordingTriggered()
{
    itsEngine.stopRecording();
}

void RecordingMenu::onItsEngineRecordingChanged()
{
    updateActions();
    updateStatus();
}

void RecordingMenu::onItsEngineRecordingFailed(const QString& message)
{
    WarningBox::show(itsDialogParent, message + QLatin1Char('.'));
}

void RecordingMenu::onOpenRecordingTriggered()
{
    const QString path = QFileDialog::getOpenFileName(itsDialogParent, tr("Open Recording"), QString(),
                                                      tr("CSV recordings (*.csv);;All files (*)"));
    QString errorText;
    if (!path.isEmpty() && !itsEngine.playRecording(path, &errorText))
        WarningBox::show(itsDialogParent, errorText);
}

void RecordingMenu::onStopReplayTriggered()
{
    itsEngine.stopReplay();
}
