// Names: whatever bytes a server lists, the codec shows them as text that
// goes back to the same bytes; a name judged safe stays one component of a
// local path; patterns and log texts never break.

#include "FuzzCheck.h"
#include "ftp/FtpNameCodec.h"
#include "ftp/FtpNameEvidence.h"
#include "ftp/FtpNameRules.h"

#include <QDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));

    // Whichever encoding the connection took, the name goes back as it came.
    for (const auto choice : {FtpNameCodec::Choice::Undecided, FtpNameCodec::Choice::Utf8,
                              FtpNameCodec::Choice::Gb18030}) {
        FtpNameCodec codec;
        codec.reset(choice);
        FUZZ_CHECK(codec.encode(codec.decode(raw)) == raw);
        codec.text(raw);
    }
    FtpNameEvidence evidence;
    evidence.add(raw);
    FtpNameCodec codec;
    codec.decide(evidence);
    const QString shown = codec.decode(raw);
    FUZZ_CHECK(codec.encode(shown) == raw);
    FUZZ_CHECK(FtpNameCodec::decodeText(raw).size() <= raw.size());

    // The text is checked before it is sent as these bytes: both must agree.
    FUZZ_CHECK(FtpNameRules::holdsLineBreak(raw) == FtpNameRules::holdsLineBreak(shown));
    FUZZ_CHECK(!FtpNameRules::holdsControlCharacter(FtpNameRules::printable(shown)));

    if (FtpNameRules::isSafeLocalName(shown)) {
        const QString base = QStringLiteral("/target/folder");
        const QString path = QDir::cleanPath(FtpNameRules::localChildPath(base, shown));
        FUZZ_CHECK(path.startsWith(base + QLatin1Char('/')));
        FUZZ_CHECK(!path.mid(base.size() + 1).contains(QLatin1Char('/')));
        FUZZ_CHECK(!FtpNameRules::holdsLineBreak(shown));
    }

    const FtpNameRules::Pattern remote = FtpNameRules::splitRemotePattern(shown);
    FUZZ_CHECK(remote.folder == QLatin1String("/") || !remote.folder.endsWith(QLatin1Char('/')));
    remote.matches(shown);
    const FtpNameRules::Pattern local = FtpNameRules::splitLocalPattern(shown);
    local.matches(shown);
    return 0;
}
