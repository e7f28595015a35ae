#include "hidreportscript.h"

using NoxHid::IHidConnection;

HidReportScript::HidReportScript(const QByteArray& script)
{
    int position = 0;
    while (position < script.size())
    {
        const unsigned char tag = static_cast<unsigned char>(script.at(position++));
        if (tag == TIMED_OUT || tag == FAILED)
        {
            itsOutcomes.push_back(tag == TIMED_OUT ? IHidConnection::Transfer::TimedOut
                                                   : IHidConnection::Transfer::Failed);
            continue;
        }
        itsOutcomes.push_back(IHidConnection::Transfer::Done);
        itsReports.push_back(script.mid(position, tag));
        position += tag;
    }
}

IHidConnection::Transfer HidReportScript::next(QByteArray* report)
{
    if (itsOutcomes.empty())
        return IHidConnection::Transfer::TimedOut;
    const IHidConnection::Transfer outcome = itsOutcomes.front();
    itsOutcomes.pop_front();
    if (outcome == IHidConnection::Transfer::Done)
    {
        *report = itsReports.front();
        itsReports.pop_front();
    }
    return outcome;
}

QByteArray HidReportScript::encodeReport(const QByteArray& report)
{
    const QByteArray kept = report.left(FAILED - 1);
    return char(kept.size()) + kept;
}
