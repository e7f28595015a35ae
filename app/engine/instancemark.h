#ifndef LIDORA_INSTANCEMARK_H
#define LIDORA_INSTANCEMARK_H

#include <QSettings>

#include <memory>

// The mark by which a second copy of the demo learns that the first one holds the board: the boolean
// AlreadyRunning under organisation "nox", application "LIDORA". It lives in the system-wide store where
// this user may write it and in the user's own store otherwise (a normal Linux user cannot write the
// system store, and a mark nobody can set would never warn).
class InstanceMark
{
public:
    InstanceMark();

    // Runs the start-up check. An instance that reached the board resets a mark left behind by a crash
    // before looking at it. Returns true when another instance holds the mark; that instance's mark is
    // then left alone.
    bool check(bool ownsTarget);
    bool otherInstance() const { return itsOtherInstance; }

    // Clears the mark on exit, unless it belongs to another instance.
    void release();

    QString storeLocation() const { return itsStore->fileName(); }

private:
    void write(bool running);

    std::unique_ptr<QSettings> itsStore;
    bool itsOtherInstance = false;
};

#endif
