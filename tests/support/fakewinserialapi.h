#ifndef LIDORA_TESTS_SUPPORT_FAKEWINSERIALAPI_H
#define LIDORA_TESTS_SUPPORT_FAKEWINSERIALAPI_H

#include "fakewinfileapi.h"

#include "Serial/windows/iwinserialapi.h"

#include <QString>

#include <map>
#include <vector>

// SetupAPI's Ports class and the communications calls as the Windows serial back end meets them. Each port
// added is a device at \\.\<name>; the fake keeps the line setting, the read time-outs and the purges each
// port was given. A port told to read without waiting ends its reads at once, as a COM port does.
class FakeWinSerialApi : public FakeWinFileApi, public virtual NoxCom::Serial::IWinSerialApi
{
public:
    struct Port
    {
        // Empty: a device of the class without a port name.
        QString name;
        QString hardwareId;
        QString manufacturer;
        QString description;
    };

    struct Settings
    {
        Line line;
        std::vector<ReadTimeouts> readTimeouts;
        int purges = 0;
        int outputPurges = 0;
        quint32 inputBufferSize = 0;
    };

    static std::string portPath(const QString& name);

    // Adds a port; one with a name is also a device that files can open.
    void addPort(const Port& port);
    // What the port at this name was set to, by whichever file opened it last.
    const Settings& settings(const QString& name);
    bool failLine = false;

    // Wine: COM ports registered by name, each path's target with links followed (none: leads nowhere), and
    // the Unix files and folders there are; wineCalls counts the calls made of them, resolvedPaths keeps
    // the paths whose targets were asked for.
    bool wine = false;
    QStringList registered;
    std::map<QString, QString> realPaths;
    std::map<QString, QString> unixFiles;
    std::map<QString, QStringList> unixFolders;
    int wineCalls = 0;
    QStringList resolvedPaths;

    DeviceSet openPortSet() override;
    bool enumPort(DeviceSet set, quint32 index, DeviceData* data) override;
    bool portProperty(DeviceSet set, DeviceData* data, Property property, QString* value) override;
    bool portName(DeviceSet set, DeviceData* data, QString* name) override;
    bool closePortSet(DeviceSet set) override;
    bool setBufferSizes(Handle file, quint32 inputSize, quint32 outputSize) override;
    bool setLine(Handle file, const Line& line) override;
    bool setReadTimeouts(Handle file, const ReadTimeouts& timeouts) override;
    bool purge(Handle file) override;
    bool purgeOutput(Handle file) override;
    bool runsOnWine() override;
    QStringList registeredPortNames() override;
    QString realUnixPath(const QString& path) override;
    QString unixFileText(const QString& unixPath) override;
    QStringList unixFolderEntries(const QString& unixFolder) override;

private:
    const Port* portOf(DeviceSet set, const DeviceData* data);
    Settings* settingsOf(Handle file);

    std::vector<Port> itsPorts;
    std::map<std::string, Settings> itsSettings;
};

#endif
