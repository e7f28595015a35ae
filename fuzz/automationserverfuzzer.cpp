// The automation port under rude clients: the real server and session on a real loopback socket, driven by
// sequences of connects, writes, reads, half-closes and resets of up to three clients. After every sequence
// the server must have let every client go and must serve a well-behaved one in full; a measurement must
// never enter itself again, and what is queued must stay within its bound.

#include "automationserver.h"
#include "automationsession.h"
#include "iautomationtarget.h"
#include "logging.h"

#include "support/rawclient.h"

#include <QCoreApplication>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace
{

// Writes the window's two records per measurement through the real writer.
class RecordingTarget : public IAutomationTarget
{
public:
    void automationStarted(Logging* writer) override { itsWriter = writer; }
    void automationEnded() override { itsWriter = nullptr; }
    bool isTargetConnected() override { return true; }
    QString versionRecord() override
    {
        return QStringLiteral("#VER;4c-31-44-07;1.3.0.12;1.0.0;2.1.0.4;1;3\r\n");
    }
    QStringList calibrationLines() override { return {}; }
    void selectOperationMode(int) override {}
    void measureOnce() override
    {
        if (itsMeasuring || itsWriter == nullptr)
            std::abort();
        itsMeasuring = true;
        itsWriter->writeText(QStringLiteral("#DEMODATA;1700000000000;500;500;42;20;0;0;STATE_OBJECT_PRESENCE;"
                                            "SCREEN_SAVER_OFF;0;65535;1700000000000\r\n"));
        itsWriter->writeText(QStringLiteral("#OBJ;1700000000000;00001;00042;00500;000010000;000020000\r\n"));
        itsMeasuring = false;
    }

private:
    Logging* itsWriter = nullptr;
    bool itsMeasuring = false;
};

void turnEventLoop()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

enum Step
{
    CONNECT,
    WRITE,
    WRITE_LONG_LINE,
    READ,
    HALF_CLOSE,
    RESET,
    TURN,
    STEP_COUNT
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "automation_server_fuzzer";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static RecordingTarget target;
    static AutomationServer server(target);
    static const bool listening = server.listen(0, nullptr);
    if (!listening)
        std::abort();

    std::array<std::unique_ptr<RawClient>, 3> clients;
    size_t at = 0;
    const auto next = [&] { return at < size ? data[at++] : uint8_t(0); };
    while (at < size)
    {
        const uint8_t step = next();
        std::unique_ptr<RawClient>& client = clients[(step / STEP_COUNT) % clients.size()];
        switch (step % STEP_COUNT)
        {
        case CONNECT:
            client = std::make_unique<RawClient>(server.port());
            break;
        case WRITE:
        {
            const size_t length = std::min<size_t>(next(), size - at);
            if (client)
                client->send(QByteArray(reinterpret_cast<const char*>(data + at), int(length)));
            at += length;
            break;
        }
        case WRITE_LONG_LINE:
            if (client)
                client->send(QByteArray((next() + 1) * 1024, 'x'));
            break;
        case READ:
            if (client)
                client->receive();
            break;
        case HALF_CLOSE:
            if (client)
                client->halfClose();
            break;
        case RESET:
            if (client)
                client->reset();
            break;
        default:
            for (int turn = next() % 8; turn >= 0; --turn)
                turnEventLoop();
        }
        if (server.session() != nullptr &&
            server.session()->queuedCommandBytes() > AutomationSession::MAX_QUEUED_BYTES)
            std::abort();
    }
    for (std::unique_ptr<RawClient>& client : clients)
        client.reset();

    // Everyone gone, then a client that behaves is served in full.
    if (!RawClient::waitUntil([] { return server.session() == nullptr; }, 2000))
        std::abort();
    RawClient polite(server.port());
    if (!polite.receiveLines(1, 2000).startsWith("#VER;"))
        std::abort();
    polite.send("m\n");
    if (polite.receiveLines(2, 2000).count('\n') != 2)
        std::abort();
    polite.close();
    if (!RawClient::waitUntil([] { return server.session() == nullptr; }, 2000))
        std::abort();
    return 0;
}
