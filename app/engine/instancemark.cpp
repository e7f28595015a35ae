#include "instancemark.h"

namespace
{

const char* const ORGANISATION = "nox";
const char* const APPLICATION = "LIDORA";
const char* const KEY = "AlreadyRunning";

} // namespace

InstanceMark::InstanceMark()
    : itsStore(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::SystemScope,
                                           QString::fromLatin1(ORGANISATION),
                                           QString::fromLatin1(APPLICATION)))
{
    if (!itsStore->isWritable())
        itsStore =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QString::fromLatin1(ORGANISATION), QString::fromLatin1(APPLICATION));
}

bool InstanceMark::check(bool ownsTarget)
{
    // The store was loaded when the window was made; opening the board can take seconds, in which another
    // instance may have set its mark.
    itsStore->sync();
    if (ownsTarget)
        write(false);
    itsOtherInstance = itsStore->value(QString::fromLatin1(KEY), false).toBool();
    if (!itsOtherInstance)
        write(true);
    return itsOtherInstance;
}

void InstanceMark::release()
{
    if (!itsOtherInstance)
        write(false);
}

void InstanceMark::write(bool running)
{
    itsStore->setValue(QString::fromLatin1(KEY), running);
    // Written through at once: the other instance reads the file, not this process's cache.
    itsStore->sync();
}
