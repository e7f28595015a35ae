#ifndef LIDORA_RECORDINGFILE_H
#define LIDORA_RECORDINGFILE_H

#include <QString>

// How the recorder and the reader reach a file through the C library's descriptors, on either system: the
// file is never inherited by a program started from this one and its open never waits (a FIFO would wait
// for its other end on Linux); on Windows bytes go through untranslated (the C library would turn line
// breaks into CR LF) and the name through as UTF-16, so a folder named in any language is found.
class RecordingFile
{
public:
    // Returns the descriptor, or -1 with errno set.
    static int open(const QString& path, int flags);
    static bool isRegular(int descriptor);
    // False also when the path names nothing.
    static bool namesOtherThanFile(const QString& path);
};

#endif
