#ifndef LIDORA_FUZZ_HIDREPORTSCRIPT_H
#define LIDORA_FUZZ_HIDREPORTSCRIPT_H

#include "HidDevice/ihidconnection.h"

#include <QByteArray>

#include <deque>

// What a HID interface delivers to a sequence of reads, as one byte string: per read one tag byte, then for a
// delivered report its bytes. The tag is the report's length (which may exceed what the reader takes), or
// TIMED_OUT or FAILED for a read that gets nothing. The HID fuzz target replays inputs of this form; the seed
// generator writes real traffic in it.
class HidReportScript
{
public:
    static constexpr unsigned char TIMED_OUT = 0xFF;
    static constexpr unsigned char FAILED = 0xFE;

    // A script cut short ends with a shorter report; reads after its end time out.
    explicit HidReportScript(const QByteArray& script);

    // The next read's outcome; a delivered report goes to *report.
    NoxHid::IHidConnection::Transfer next(QByteArray* report);

    // One delivered report as script bytes; at most FAILED - 1 bytes of it.
    static QByteArray encodeReport(const QByteArray& report);

private:
    std::deque<QByteArray> itsReports;
    std::deque<NoxHid::IHidConnection::Transfer> itsOutcomes;
};

#endif
