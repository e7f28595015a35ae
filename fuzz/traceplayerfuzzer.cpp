// Trace files into the trace player: the fuzzed bytes are written to a file, which the player reads out whole
// and plays to its end on a stream to the simulated board's module channel.

#include "Communication/commandmanager.h"
#include "Communication/comstream.h"
#include "Communication/telegramcommandset.h"
#include "Tracing/traceplayer.h"
#include "simulatedboard.h"
#include "simulatedboardcomdriver.h"

#include <QTemporaryFile>

#include <cstddef>
#include <cstdint>

using namespace NoxCore::Communication;
using LidoraSim::SimulatedBoard;
using NoxCore::Tracing::TracePlayer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryFile* const file = []
    {
        const TelegramCommandSet commands;
        CommandManager::instance()->registerCommandSet(&commands);
        auto* traceFile = new QTemporaryFile();
        traceFile->open();
        return traceFile;
    }();
    // One file for the whole run, rewritten for each input.
    file->resize(0);
    file->seek(0);
    file->write(reinterpret_cast<const char*>(data), qint64(size));
    file->flush();

    QList<QString> telegrams;
    TracePlayer::readTelegrams(file->fileName(), &telegrams);

    SimulatedBoard board;
    SimulatedBoardComDriver driver(board, SimulatedBoard::Channel::Module);
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    stream.open();
    TracePlayer player(nullptr, &stream);
    if (player.open(file->fileName()))
        player.playToEnd();
    player.close();
    // The player lets the stream read the answers still due before it lets go of the stream.
    player.setComExecutor(nullptr);
    return 0;
}
