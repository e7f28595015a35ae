#ifndef LIDORA_TESTS_WINDOWFIXTURE_H
#define LIDORA_TESTS_WINDOWFIXTURE_H

#include "controls/noxstatusfield.h"
#include "mainwindow.h"
#include "qcpstringlegenditem.h"

#include "support/manualclock.h"
#include "support/simulatedusb.h"
#include "support/tempworkdir.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The main window in a private working folder with its own clock and settings, on a simulated USB: with
// the simulated board plugged in, or with no board at all. Never the machine's real hidraw nodes.
class WindowFixture : public ::testing::Test
{
protected:
    void start(const QByteArray& script, bool boardPlugged = false)
    {
        window.reset();
        workDir.writeTestData(script);
        // The old USB goes first: back ends are installed and restored last in, first out, and a new one
        // made before the old is gone would leave the machine's (later a freed) back end installed.
        usb.reset();
        usb = std::make_unique<SimulatedUsb>(boardPlugged);
        window = std::make_unique<MainWindow>();
    }

    template <typename T> T* child(const char* name) const
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Measurements as the 33 ms timer would run them.
    void measure(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
            window->on_pbStart_clicked();
        }
    }

    QString legendRow(int row) const
    {
        auto* item =
            qobject_cast<QCPStringLegendItem*>(child<QCustomPlot>("plotDistanceBar")->legend->item(row));
        return item ? item->text() : QString();
    }

    QCPBars* bars() const
    {
        return qobject_cast<QCPBars*>(child<QCustomPlot>("plotDistanceBar")->plottable(0));
    }
    // Reads and accepts the next modal message box, as "title|text", as a user would.
    static void answerNextMessageBox(QString* shown)
    {
        QTimer::singleShot(0,
                           [shown]
                           {
                               if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                               {
                                   *shown = box->windowTitle() + "|" + box->text();
                                   box->accept();
                               }
                           });
    }
    QString fieldStyle(const char* name) const
    {
        return child<NoxGui::Controls::NoxStatusField>(name)->styleSheet();
    }
    QString text(const char* label) const { return child<QLabel>(label)->text(); }
    bool shown(const char* widget) const { return !child<QWidget>(widget)->isHidden(); }

    TempWorkDir workDir;
    ManualClock clock;
    std::unique_ptr<SimulatedUsb> usb;
    std::unique_ptr<MainWindow> window;
};

#endif
