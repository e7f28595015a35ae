// Round trip through the automation port, as a client sees it: from writing a measurement command to the
// last byte of its "#OBJ" line, with the program on the simulated board. Starts the program itself
// (offscreen, private settings) and prints median, 99th percentile and maximum over the commands.
// Usage: automation_roundtrip [commands] (default 2000).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

namespace
{

bool readLineEnding(QTcpSocket& client, QByteArray& received, const QByteArray& tag)
{
    while (true)
    {
        const int start = received.indexOf(tag);
        if (start >= 0 && received.indexOf("\r\n", start) >= 0)
            return true;
        if (!client.waitForReadyRead(5000))
            return false;
        received += client.readAll();
    }
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    return values[index];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int commands = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(LIDORA_DEMO_BINARY, {"--simulate"});
    if (!program.waitForStarted(10000))
    {
        std::fprintf(stderr, "cannot start %s\n", LIDORA_DEMO_BINARY);
        return 1;
    }

    QTcpSocket client;
    for (int attempt = 0; attempt < 100 && client.state() != QAbstractSocket::ConnectedState; ++attempt)
    {
        QThread::msleep(100);
        client.connectToHost(QHostAddress::LocalHost, 39999);
        client.waitForConnected(1000);
    }
    QByteArray received;
    if (client.state() != QAbstractSocket::ConnectedState || !readLineEnding(client, received, "#VER;"))
    {
        std::fprintf(stderr, "no automation connection\n");
        program.kill();
        return 1;
    }

    std::vector<double> roundTripsUs;
    roundTripsUs.reserve(size_t(commands));
    for (int i = 0; i < commands; ++i)
    {
        received.clear();
        QElapsedTimer timer;
        timer.start();
        client.write("m\n");
        client.flush();
        if (!readLineEnding(client, received, "#OBJ;"))
        {
            std::fprintf(stderr, "no #OBJ line after command %d\n", i);
            break;
        }
        roundTripsUs.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    client.disconnectFromHost();
    ::kill(pid_t(program.processId()), SIGTERM);
    program.waitForFinished(10000);

    if (roundTripsUs.empty())
        return 1;
    std::printf("automation round trip over %zu commands (command sent -> end of #OBJ line), simulated board:\n",
                roundTripsUs.size());
    std::printf("  median %.0f us, 99th percentile %.0f us, maximum %.0f us\n", percentile(roundTripsUs, 0.5),
                percentile(roundTripsUs, 0.99), *std::max_element(roundTripsUs.begin(), roundTripsUs.end()));
    return roundTripsUs.size() == size_t(commands) ? 0 : 1;
}
