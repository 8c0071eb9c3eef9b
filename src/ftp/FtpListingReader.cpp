#include "ftp/FtpListingReader.h"

#include "ftp/FtpCodes.h"
#include "ftp/FtpContext.h"
#include "ftp/FtpError.h"
#include "ftp/FtpListingParser.h"
#include "ftp/FtpNameRules.h"
#include "ftp/FtpTransferChannel.h"

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

} // namespace

struct FtpListingReader::Attempt
{
    bool refused = false;
    FtpReply reply;
    FtpListing listing;
};

FtpListingReader::FtpListingReader(FtpContext &context) : m_context(context) {}

bool FtpListingReader::saysNoFiles(const FtpReply &reply)
{
    if (reply.code != 450 && reply.code != 550)
        return false;
    const QByteArray text = reply.text().toLower();
    return text.contains("no files found") || text.contains("no file found");
}

FtpListing FtpListingReader::empty(Command command) const
{
    FtpListing listing;
    listing.format = command == Command::Mlsd ? FtpListingFormat::Mlsd : FtpListingFormat::None;
    return listing;
}

FtpListingReader::Attempt FtpListingReader::attempt(Command command, const QByteArray &raw,
                                                    QVector<QByteArray> *uniques)
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
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    channel.run(
        [&] {
            for (;;) {
                const qint64 received = channel.receive(buffer.data(), buffer.size());
                if (received == 0)
                    return;
                if (!parser.feed(QByteArrayView(buffer.constData(), received)))
                    channel.abort(
                        FtpError{FtpErrorCode::ListingTooLong,
                                 QStringLiteral("目录列表过长（超过 %1 项或 %2 MiB），已中止")
                                     .arg(FtpListingParser::MaxEntries)
                                     .arg(FtpListingParser::MaxBytes / (1024 * 1024))});
            }
        },
        [&] {
            m_context.report(FtpEvent::TransferStopped, FtpCategory::Information,
                             QStringLiteral("目录列表已被用户停止"));
            return FtpError{FtpErrorCode::StoppedByUser, QStringLiteral("操作已被用户停止")};
        });
    if (channel.cutShort())
        throw FtpError{FtpErrorCode::TransferIncomplete,
                       QStringLiteral("目录列表可能不完整：加密的数据连接没有以 TLS 结束通知"
                                      "（close_notify）结束，而是被直接断开")};
    parser.finish();
    reportUnreadable(parser);
    if (uniques)
        *uniques = parser.takeUniques();
    result.listing = parser.takeListing();
    // "." and ".." come with the option, not from the directory; without
    // them an empty directory reads as one that listed nothing.
    if (command == Command::ListAll) {
        result.listing.entries.removeIf([](const FtpListingEntry &entry) {
            return entry.rawName == "." || entry.rawName == "..";
        });
        if (result.listing.entries.isEmpty())
            result.listing = empty(Command::List);
    }
    return result;
}

void FtpListingReader::reportUnreadable(const FtpListingParser &parser)
{
    const QByteArrayList &samples = parser.unreadableSamples();
    if (samples.isEmpty())
        return;
    QStringList shown;
    for (const QByteArray &sample : samples)
        shown.append(
            QStringLiteral("“%1”").arg(FtpNameRules::printable(m_context.codec().text(sample))));
    const qsizetype count = parser.unreadableLines();
    m_context.report(FtpEvent::LinesUnreadable, FtpCategory::Failure,
                     QStringLiteral("目录列表中有 %1 行无法识别，其中的项目没有列出：%2%3")
                         .arg(count)
                         .arg(shown.join(QStringLiteral("；")),
                              count > samples.size() ? QStringLiteral(" 等") : QString()),
                     count);
}

FtpListing FtpListingReader::read(const QByteArray &raw, QVector<QByteArray> *uniques)
{
    FtpFeatures &features = m_context.features();
    if (features.mlsd) {
        const Attempt mlsd = attempt(Command::Mlsd, raw, uniques);
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
        const Attempt all = attempt(Command::ListAll, raw, uniques);
        if (!all.refused &&
            (!all.listing.entries.isEmpty() || features.listAll == FtpFeatures::Support::Works)) {
            features.listAll = FtpFeatures::Support::Works;
            return all.listing;
        }
        if (all.refused && saysNoFiles(all.reply))
            return empty(Command::List);
        if (all.refused && features.listAll == FtpFeatures::Support::Works)
            m_context.control().refuse(all.reply);
        // Refused, or nothing at all, which is also what a server gives that
        // takes "-a" for a name: plain LIST tells.
        const Attempt plain = attempt(Command::List, raw, uniques);
        if (!plain.refused) {
            if (all.refused || !plain.listing.entries.isEmpty())
                features.listAll = FtpFeatures::Support::Refused;
            return plain.listing;
        }
        if (saysNoFiles(plain.reply))
            return empty(Command::List);
        m_context.control().refuse(plain.reply);
    }
    const Attempt plain = attempt(Command::List, raw, uniques);
    if (!plain.refused)
        return plain.listing;
    if (saysNoFiles(plain.reply))
        return empty(Command::List);
    m_context.control().refuse(plain.reply);
}
