#include "ftp/FtpListingReader.h"

#include "ftp/FtpContext.h"
#include "ftp/FtpErrors.h"
#include "ftp/FtpListingParser.h"
#include "ftp/FtpTransferChannel.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteNameRules.h"

#include <QDate>

namespace {

FtpListDate today()
{
    const QDate date = QDate::currentDate();
    FtpListDate result;
    result.year = date.year();
    result.month = date.month();
    result.day = date.day();
    return result;
}

// Entries handed to the caller at a time while a listing comes in: enough
// that the caller's thread wakes a few dozen times for 100 000 entries.
constexpr qsizetype ShownAtOnce = 2048;

} // namespace

struct FtpListingReader::Attempt
{
    bool refused = false;
    FtpReply reply;
    RemoteListing listing;
    // Entries read, those already shown included.
    qsizetype entries = 0;
};

FtpListingReader::FtpListingReader(FtpContext &context) : m_context(context) {}

bool FtpListingReader::saysNoFiles(const FtpReply &reply)
{
    if (reply.code != 450 && reply.code != 550)
        return false;
    const QByteArray text = reply.text().toLower();
    return text.contains("no files found") || text.contains("no file found");
}

RemoteListing FtpListingReader::empty(Command command) const
{
    RemoteListing listing;
    listing.format =
        command == Command::Mlsd ? RemoteListingFormat::Mlsd : RemoteListingFormat::None;
    return listing;
}

FtpListingReader::Attempt FtpListingReader::attempt(Command command, const QByteArray &raw, Use use)
{
    Attempt result;
    FtpTransferChannel channel(m_context);
    channel.prepare();
    QByteArray argument = raw;
    if (command == Command::ListAll)
        argument = raw.isEmpty() ? QByteArray("-a") : "-a " + raw;
    switch (channel.start(command == Command::Mlsd ? "MLSD" : "LIST", argument, true)) {
    case FtpTransferChannel::Outcome::Refused:
        result.refused = true;
        result.reply = channel.reply();
        return result;
    case FtpTransferChannel::Outcome::Completed:
        result.listing = empty(command);
        return result;
    case FtpTransferChannel::Outcome::Open:
        break;
    }
    FtpListingParser parser(command == Command::Mlsd ? FtpListingParser::Source::Mlsd
                                                     : FtpListingParser::Source::List,
                            m_context.codec(), today());
    if (command == Command::ListAll)
        parser.skipDots();
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    channel.run(
        [&] {
            for (;;) {
                const qint64 received = channel.receive(buffer.data(), buffer.size());
                if (received == 0) {
                    // The caller has the entries before the final reply is
                    // waited for, not after it.
                    if (use == Use::Shown && parser.newEntryCount() > 0)
                        m_context.showEntries(parser.takeNewEntries());
                    return;
                }
                const bool withinLimits = parser.feed(QByteArrayView(buffer.constData(), received));
                if (use == Use::Shown && parser.newEntryCount() >= ShownAtOnce)
                    m_context.showEntries(parser.takeNewEntries());
                if (!withinLimits)
                    channel.abort(
                        FtpErrors::own(RemoteErrorCode::ListingTooLong,
                                       RemoteText(RemoteMessage::ListingTooLong,
                                                  {FtpListingParser::MaxEntries,
                                                   FtpListingParser::MaxBytes / (1024 * 1024)})));
            }
        },
        [&] {
            m_context.note(RemoteActivityKind::TransferStopped, RemoteMessage::ListingStopped);
            return FtpErrors::own(RemoteErrorCode::StoppedByUser, RemoteMessage::Stopped);
        });
    if (channel.cutShort())
        throw FtpErrors::own(RemoteErrorCode::TransferIncomplete, RemoteMessage::ListingCutShort);
    parser.finish();
    if (use == Use::Shown && parser.newEntryCount() > 0)
        m_context.showEntries(parser.takeNewEntries());
    reportUnreadable(parser);
    result.entries = parser.entryCount();
    result.listing = parser.takeListing();
    if (use != Use::Walk)
        result.listing.identities.clear();
    // Without "." and ".." an empty directory listed with the option reads
    // as one that listed nothing.
    if (command == Command::ListAll && result.entries == 0)
        result.listing = empty(Command::List);
    return result;
}

void FtpListingReader::reportUnreadable(const FtpListingParser &parser)
{
    const QByteArrayList &samples = parser.unreadableSamples();
    if (samples.isEmpty())
        return;
    std::vector<RemoteText> shown;
    for (const QByteArray &sample : samples)
        shown.push_back(RemoteNameRules::printable(m_context.codec().text(sample)));
    const qsizetype count = parser.unreadableLines();
    RemoteActivity activity = RemoteActivity::note(
        RemoteActivityKind::LinesUnreadable,
        RemoteText(RemoteMessage::LinesUnreadable,
                   {count, RemoteText(RemoteMessage::QuotedLine, std::move(shown)),
                    count > samples.size() ? RemoteText(RemoteMessage::AndMore) : RemoteText()}));
    activity.count = count;
    m_context.report(activity);
}

RemoteListing FtpListingReader::read(const QByteArray &raw, Use use)
{
    FtpFeatures &features = m_context.features();
    if (features.mlsd) {
        const Attempt mlsd = attempt(Command::Mlsd, raw, use);
        if (!mlsd.refused)
            return mlsd.listing;
        if (saysNoFiles(mlsd.reply))
            return empty(Command::Mlsd);
        if (mlsd.reply.code != 500 && mlsd.reply.code != 502)
            m_context.control().refuse(mlsd.reply);
        // Announced but not there after all: LIST from now on.
        features.mlsd = false;
    }
    if (features.listAll != FtpFeatures::Support::Refused) {
        const Attempt all = attempt(Command::ListAll, raw, use);
        if (!all.refused && (all.entries > 0 || features.listAll == FtpFeatures::Support::Works)) {
            features.listAll = FtpFeatures::Support::Works;
            return all.listing;
        }
        if (all.refused && saysNoFiles(all.reply))
            return empty(Command::List);
        if (all.refused && features.listAll == FtpFeatures::Support::Works)
            m_context.control().refuse(all.reply);
        // Refused, or nothing at all, which is also what a server gives that
        // takes "-a" for a name: plain LIST tells.
        const Attempt plain = attempt(Command::List, raw, use);
        if (!plain.refused) {
            if (all.refused || plain.entries > 0)
                features.listAll = FtpFeatures::Support::Refused;
            return plain.listing;
        }
        if (saysNoFiles(plain.reply))
            return empty(Command::List);
        m_context.control().refuse(plain.reply);
    }
    const Attempt plain = attempt(Command::List, raw, use);
    if (!plain.refused)
        return plain.listing;
    if (saysNoFiles(plain.reply))
        return empty(Command::List);
    m_context.control().refuse(plain.reply);
}
