#pragma once

#include <QByteArray>
#include <QStringView>

struct UCollator;

// The text order of the list panes, the same whatever the system locale:
// blanks and punctuation first, then digits, Latin names and other
// alphabets, then Chinese names by their pinyin; case is ignored, numbers
// are compared as text ("100" before "20").
//
// This is ICU's Chinese collation with the script order put back to
// Unicode's: Chinese locales move Han characters ahead of the Latin
// alphabet, which would list 图片 before "readme". QCollator cannot change
// the script order, hence the collator is used directly.
class PinyinCollator
{
public:
    PinyinCollator();
    ~PinyinCollator();
    PinyinCollator(const PinyinCollator &) = delete;
    PinyinCollator &operator=(const PinyinCollator &) = delete;

    // Negative, zero or positive as `a` sorts before, with or after `b`.
    int compare(QStringView a, QStringView b) const;
    // A key whose byte order is the order of compare(): sorting many texts
    // computes one key per text instead of collating each pair.
    QByteArray sortKey(QStringView text) const;

private:
    UCollator *collator = nullptr;
};
