#include "ProgressBar.h"

#include "Console.h"

#include <QList>
#include <cstdio>
#include <cwchar>

namespace {

constexpr qint64 RedrawIntervalMs = 100;
constexpr int BarWidth = 20;

QString sizeText(double bytes)
{
    static const char *const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    return unit == 0
               ? QStringLiteral("%1 B").arg(qint64(bytes))
               : QStringLiteral("%1 %2").arg(bytes, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString durationText(qint64 seconds)
{
    const qint64 minutes = seconds / 60;
    if (minutes >= 60)
        return QStringLiteral("%1:%2:%3")
            .arg(minutes / 60)
            .arg(minutes % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Terminal columns of one character: Chinese names take two per character.
int columnsOf(char32_t c)
{
    const int width = ::wcwidth(wchar_t(c));
    return width < 0 ? 1 : width;
}

// `text` cut to `columns` terminal columns, with "…" where it was cut.
QString elided(const QString &text, int columns)
{
    const QList<uint> characters = text.toUcs4();
    QList<uint> kept;
    int used = 0;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const int width = columnsOf(characters[i]);
        // Room for the ellipsis unless this is the last character.
        if (used + width > columns - (i + 1 == characters.size() ? 0 : 1)) {
            kept.append(0x2026);
            break;
        }
        used += width;
        kept.append(characters[i]);
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(kept.constData()), kept.size());
}

} // namespace

ProgressBar::ProgressBar(bool enabled) : m_enabled(enabled) {}

void ProgressBar::startFile(const QString &name)
{
    if (!m_started.isValid())
        m_started.start();
    m_name =
        Console::terminalSafe(name).replace(QLatin1Char('\n'), QChar(QChar::ReplacementCharacter));
    m_bytes = 0;
    m_expected = -1;
    draw();
}

void ProgressBar::update(qint64 bytes, qint64 expected)
{
    if (!m_started.isValid())
        m_started.start();
    m_bytes = bytes;
    m_expected = expected;
    draw();
}

void ProgressBar::finishFile(qint64 bytes)
{
    ++m_filesDone;
    m_bytesDone += bytes;
    m_bytes = 0;
    m_expected = -1;
}

QString ProgressBar::statistics() const
{
    QString text;
    if (m_expected > 0) {
        const double fraction = qBound(0.0, double(m_bytes) / double(m_expected), 1.0);
        const int filled = int(fraction * BarWidth);
        text += QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                QString(BarWidth - filled, QLatin1Char('.')) + QStringLiteral("] ") +
                QStringLiteral("%1%").arg(int(fraction * 100), 3) + QStringLiteral("  ") +
                sizeText(double(m_bytes)) + QStringLiteral(" / ") + sizeText(double(m_expected));
    } else {
        text += sizeText(double(m_bytes));
    }
    const double seconds = double(m_started.elapsed()) / 1000.0;
    const double total = double(m_bytesDone + m_bytes);
    if (seconds > 0.2) {
        const double rate = total / seconds;
        text += QStringLiteral("  ") + sizeText(rate) + QStringLiteral("/s");
        if (m_filesDone == 0 && m_expected > m_bytes && rate > 0)
            text += QStringLiteral("  ") + durationText(qint64((m_expected - m_bytes) / rate));
    }
    if (m_filesDone > 0)
        text += QStringLiteral("  %1 %2, %3")
                    .arg(m_filesDone)
                    .arg(m_filesDone == 1 ? QStringLiteral("file") : QStringLiteral("files"))
                    .arg(sizeText(total));
    return text;
}

void ProgressBar::draw()
{
    if (!m_enabled || (m_drawn.isValid() && !m_drawn.hasExpired(RedrawIntervalMs)))
        return;
    m_drawn.start();
    const QString statistics = this->statistics();
    // One column stays free: writing into the last one wraps on some terminals.
    const int room = Console::errorColumns() - 1 - int(statistics.size()) - 1;
    QString line = QStringLiteral("\r");
    if (room > 3)
        line += elided(m_name, room) + QLatin1Char(' ');
    line += statistics + QStringLiteral("\x1b[K");
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    m_shown = true;
}

void ProgressBar::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\x1b[K", stderr);
    m_shown = false;
    // The next line drawn after other output comes at once.
    m_drawn.invalidate();
}
