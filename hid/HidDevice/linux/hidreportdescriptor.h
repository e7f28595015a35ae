#ifndef NOXHID_HIDDEVICE_LINUX_HIDREPORTDESCRIPTOR_H
#define NOXHID_HIDDEVICE_LINUX_HIDREPORTDESCRIPTOR_H

#include <QtGlobal>

#include <cstddef>

namespace NoxHid
{

// The report byte lengths that a HID report descriptor declares, as the device layer counts them: the
// largest input and output report plus one byte for the report id, whether or not the device numbers its
// reports (a 64-byte unnumbered report gives 65).
//
// The descriptor comes from the device and is read as untrusted input: every item is checked against the
// end of the data, and a descriptor that does not parse describes no reports.
class HidReportDescriptor
{
public:
    // The kernel refuses longer descriptors, so a longer one is not believed.
    static constexpr std::size_t MAX_SIZE = 4096;

    HidReportDescriptor();

    // False for a malformed descriptor (empty, too long, an item running past the end, a pop without a
    // push, report id 0, a report too long for a 16-bit length); the lengths are 0 then.
    bool parse(const unsigned char* data, std::size_t size);

    // 0 when the descriptor declares no such report.
    quint16 inputReportLength() const;
    quint16 outputReportLength() const;
    // Whether reports start with a report-id byte on the wire.
    bool numbersReports() const;

private:
    quint16 itsInputReportLength;
    quint16 itsOutputReportLength;
    bool itsNumbersReports;
};

} // namespace NoxHid

#endif
