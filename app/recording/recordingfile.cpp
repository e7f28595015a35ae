#include "recordingfile.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <QFile>
#endif

int RecordingFile::open(const QString& path, int flags)
{
#ifdef _WIN32
    return ::_wopen(reinterpret_cast<const wchar_t*>(path.utf16()), flags | O_BINARY | O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
#else
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
#endif
}

bool RecordingFile::isRegular(int descriptor)
{
    struct stat status;
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

bool RecordingFile::namesOtherThanFile(const QString& path)
{
#ifdef _WIN32
    struct _stat64 status;
    return ::_wstat64(reinterpret_cast<const wchar_t*>(path.utf16()), &status) == 0 &&
           !S_ISREG(status.st_mode);
#else
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode);
#endif
}
