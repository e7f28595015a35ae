#ifndef LIDORASIM_SENSORMODULE_H
#define LIDORASIM_SENSORMODULE_H

#include "boardanswer.h"
#include "boardrequest.h"
#include "scenemodel.h"

#include "Tools/elapsedtimer.h"

namespace LidoraSim
{

// The sensor module's own firmware behind the module channel: measures the scene, keeps the operation
// mode, and holds the identification and the calibration blocks written at production. Its answers are
// little-endian, unlike the frames around them. The scene runs from the module's construction (power-on)
// on the program's clock, so tests that drive the clock by hand step through it without sleeping.
class SensorModule
{
public:
    static constexpr unsigned char OBJECTS_PROTOCOL = 0x02;
    static constexpr unsigned char OPERATION_MODE_PROTOCOL = 0x07;
    static constexpr unsigned char IDENTIFICATION_PROTOCOL = 0x08;
    static constexpr unsigned char CALIBRATION_PROTOCOL = 0x09;

    static constexpr int OBJECTS_ANSWER_SIZE = 17;
    static constexpr int OPERATION_MODE_REQUEST_SIZE = 3;
    static constexpr int IDENTIFICATION_SIZE = 14;
    static constexpr int CALIBRATION_BLOCK_SIZE = 14;
    static constexpr unsigned char CALIBRATION_BLOCK_COUNT = 4;

    // 0 distance, 1 proximity, 2 distance and proximity.
    static constexpr unsigned char DISTANCE_MODE = 0;
    static constexpr unsigned char LAST_OPERATION_MODE = 2;

    explicit SensorModule(quint64 sceneSeed);

    // Unknown protocol ids and requests of the wrong length are refused with a status and no payload.
    BoardAnswer execute(const BoardRequest& request);

    unsigned char operationMode() const { return itsOperationMode; }

    // Serial number (4 bytes), application and driver revisions (4 bytes each), extra and chip revision.
    static QByteArray identification();
    // Block number, twelve data bytes, and a check byte that XORs the thirteen to zero. Empty for block
    // numbers of CALIBRATION_BLOCK_COUNT and above.
    static QByteArray calibrationBlock(unsigned char block);

private:
    BoardAnswer measureObjects();
    BoardAnswer setOperationMode(const QByteArray& request);
    BoardAnswer readCalibrationBlock(const QByteArray& request);

    SceneModel itsScene;
    NoxCore::Tools::ElapsedTimer itsSincePowerOn;
    unsigned char itsOperationMode;
};

} // namespace LidoraSim

#endif
