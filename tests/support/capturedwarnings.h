#ifndef LIDORA_TESTS_SUPPORT_CAPTUREDWARNINGS_H
#define LIDORA_TESTS_SUPPORT_CAPTUREDWARNINGS_H

#include <QStringList>
#include <QtGlobal>

// Collects the qWarning() texts issued while it lives, instead of printing them. One at a time.
class CapturedWarnings
{
public:
    CapturedWarnings() : itsPrevious(qInstallMessageHandler(collect)) { texts().clear(); }
    ~CapturedWarnings() { qInstallMessageHandler(itsPrevious); }
    CapturedWarnings(const CapturedWarnings&) = delete;
    CapturedWarnings& operator=(const CapturedWarnings&) = delete;

    const QStringList& list() const { return texts(); }

private:
    static QStringList& texts()
    {
        static QStringList collected;
        return collected;
    }

    static void collect(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtWarningMsg)
            texts() << text;
    }

    QtMessageHandler itsPrevious;
};

#endif
