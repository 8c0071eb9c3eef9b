#include "SessionRecorder.h"

#include <QCoreApplication>
#include <QThread>

SessionRecorder::SessionRecorder(FtpSession &session) : m_session(session)
{
    connect(
        &session, &FtpSession::ActivityEvent, this,
        [this](int code, int category, const QString &text, qint64 count, const QVariant &extra) {
            RecordedEvent event{code,
                                category,
                                text,
                                count,
                                extra,
                                m_session.IsBusy(),
                                QThread::currentThread() == QCoreApplication::instance()->thread()};
            events.append(event);
            if (onEvent)
                onEvent(event);
        });
    connect(&session, &FtpSession::StateChangedEvent, this,
            [this] { states.append(m_session.ConnectionState()); });
}

QList<RecordedEvent> SessionRecorder::matching(int code, int category) const
{
    QList<RecordedEvent> result;
    for (const RecordedEvent &event : events)
        if (event.code == code && (category < 0 || event.category == category))
            result.append(event);
    return result;
}

bool SessionRecorder::anyTextContains(const QString &needle) const
{
    for (const RecordedEvent &event : events)
        if (event.text.contains(needle))
            return true;
    return false;
}

void SessionRecorder::clear()
{
    events.clear();
    states.clear();
}
