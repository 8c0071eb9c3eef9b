#include "panes/PinyinCollator.h"

#include <QString>
#include <unicode/ucol.h>

namespace {
const UChar *units(QStringView text)
{
    return reinterpret_cast<const UChar *>(text.utf16());
}
} // namespace

PinyinCollator::PinyinCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    // "zh" is the pinyin order; traditional and stroke orders have their own
    // keywords.
    collator = ucol_open("zh", &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        collator = nullptr;
        return;
    }
    const int32_t unicodeScriptOrder = UCOL_REORDER_CODE_NONE;
    ucol_setReorderCodes(collator, &unicodeScriptOrder, 1, &status);
    // Secondary strength tells accents apart but not case.
    ucol_setStrength(collator, UCOL_SECONDARY);
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
}

PinyinCollator::~PinyinCollator()
{
    ucol_close(collator);
}

int PinyinCollator::compare(QStringView a, QStringView b) const
{
    // Without ICU's data (never on a complete installation) the order falls
    // back to code points, case ignored, rather than failing the listing.
    if (!collator)
        return a.compare(b, Qt::CaseInsensitive);
    return ucol_strcoll(collator, units(a), int32_t(a.size()), units(b), int32_t(b.size()));
}

QByteArray PinyinCollator::sortKey(QStringView text) const
{
    if (!collator)
        return text.toString().toCaseFolded().toUtf8();
    // Most keys fit the buffer on the stack; a longer one is asked for again
    // with the length ICU reported.
    uint8_t buffer[256];
    const int32_t length =
        ucol_getSortKey(collator, units(text), int32_t(text.size()), buffer, sizeof buffer);
    if (length <= 0)
        return {};
    if (length <= int32_t(sizeof buffer)) // the length counts a terminating zero
        return QByteArray(reinterpret_cast<const char *>(buffer), length - 1);
    QByteArray key(length, Qt::Uninitialized);
    ucol_getSortKey(collator, units(text), int32_t(text.size()),
                    reinterpret_cast<uint8_t *>(key.data()), length);
    key.chop(1);
    return key;
}
