#include "SessionRecorder.h"

#include <QCoreApplication>
#include <QThread>

SessionRecorder::SessionRecorder(RemoteSession &session) : m_session(session)
{
    connect(&session, &RemoteSession::ActivityEvent, this, [this](const RemoteActivity &activity) {
        const RecordedEvent event{activity,
                                  activity.kind,
                                  activity.category(),
                                  RemoteTexts::logLine(activity),
                                  activity.count,
                                  m_session.IsBusy(),
                                  QThread::currentThread() ==
                                      QCoreApplication::instance()->thread()};
        events.append(event);
        if (onEvent)
            onEvent(event);
    });
    connect(&session, &RemoteSession::StateChangedEvent, this,
            [this] { states.append(m_session.ConnectionState()); });
}

QList<RecordedEvent> SessionRecorder::matching(RemoteActivityKind code, int category) const
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

RemoteSession::Question certificateQuestion(std::function<int(const RemoteCertificate &)> judge)
{
    return [judge](const RemoteQuestion &question) {
        RemoteAnswer answer;
        if (const auto *certificate = std::get_if<RemoteCertificate>(&question))
            answer.trust = judge(*certificate);
        return answer;
    };
}
