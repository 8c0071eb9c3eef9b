// Names: whatever bytes a server lists, the codec shows them as text that
// goes back to the same bytes; a name judged safe stays one component of a
// local path; patterns and log texts never break.

#include "FuzzCheck.h"
#include "remote/RemoteNameCodec.h"
#include "remote/RemoteNameEvidence.h"
#include "remote/RemoteNameRules.h"

#include <QDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));

    // Whichever encoding the connection took, the name goes back as it came.
    for (const auto choice : {RemoteNameCodec::Choice::Undecided, RemoteNameCodec::Choice::Utf8,
                              RemoteNameCodec::Choice::Gb18030}) {
        RemoteNameCodec codec;
        codec.reset(choice);
        FUZZ_CHECK(codec.encode(codec.decode(raw)) == raw);
        codec.text(raw);
    }
    RemoteNameEvidence evidence;
    evidence.add(raw);
    RemoteNameCodec codec;
    codec.decide(evidence);
    const QString shown = codec.decode(raw);
    FUZZ_CHECK(codec.encode(shown) == raw);
    FUZZ_CHECK(RemoteNameCodec::decodeText(raw).size() <= raw.size());

    // The text is checked before it is sent as these bytes: both must agree.
    FUZZ_CHECK(RemoteNameRules::holdsLineBreak(raw) == RemoteNameRules::holdsLineBreak(shown));
    FUZZ_CHECK(!RemoteNameRules::holdsControlCharacter(RemoteNameRules::printable(shown)));

    if (RemoteNameRules::isSafeLocalName(shown)) {
        const QString base = QStringLiteral("/target/folder");
        const QString path = QDir::cleanPath(RemoteNameRules::localChildPath(base, shown));
        FUZZ_CHECK(path.startsWith(base + QLatin1Char('/')));
        FUZZ_CHECK(!path.mid(base.size() + 1).contains(QLatin1Char('/')));
        FUZZ_CHECK(!RemoteNameRules::holdsLineBreak(shown));
    }

    const RemoteNameRules::Pattern remote = RemoteNameRules::splitRemotePattern(shown);
    FUZZ_CHECK(remote.folder == QLatin1String("/") || !remote.folder.endsWith(QLatin1Char('/')));
    remote.matches(shown);
    const RemoteNameRules::Pattern local = RemoteNameRules::splitLocalPattern(shown);
    local.matches(shown);
    return 0;
}
