#ifndef LIDORA_TESTS_TEMPWORKDIR_H
#define LIDORA_TESTS_TEMPWORKDIR_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

// A private working folder for one test: becomes the current folder (where the demo looks for
// test_data.txt) and holds both settings stores, so no test sees the machine's or another test's marks.
class TempWorkDir
{
public:
    TempWorkDir() : itsPreviousDir(QDir::currentPath())
    {
        QDir::setCurrent(itsDir.path());
        useFileStores();
        QSettings::setPath(QSettings::defaultFormat(), QSettings::SystemScope, itsDir.filePath("system"));
        QSettings::setPath(QSettings::defaultFormat(), QSettings::UserScope, itsDir.filePath("user"));
    }
    ~TempWorkDir() { QDir::setCurrent(itsPreviousDir); }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    QString path() const { return itsDir.path(); }
    QString filePath(const QString& name) const { return itsDir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& content) const
    {
        QFile file(filePath(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
    }
    void writeTestData(const QByteArray& content) const { writeFile("test_data.txt", content); }

private:
    // The native stores are the registry on Windows, which no path redirects: there the program's stores
    // (opened in the default format) become files as everywhere else.
    static void useFileStores()
    {
#ifdef Q_OS_WIN
        QSettings::setDefaultFormat(QSettings::IniFormat);
#endif
    }

    QTemporaryDir itsDir;
    QString itsPreviousDir;
};

#endif
