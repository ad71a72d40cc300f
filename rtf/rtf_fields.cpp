#include "rtf/rtf_fields.h"

#include <QStringList>

namespace ondrel {

namespace {

// The instruction's words; a quoted argument is one word without its quotes.
QStringList Words(const QString& instruction) {
    QStringList words;
    QString word;
    bool quoted = false;
    for (const QChar c : instruction) {
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && c.isSpace()) {
            if (!word.isEmpty()) {
                words.append(std::exchange(word, QString()));
            }
            continue;
        }
        word.append(c);
    }
    if (!word.isEmpty()) {
        words.append(word);
    }
    return words;
}

}  // namespace

std::optional<RtfSymbolField> ParseSymbolField(const QString& instruction) {
    const QStringList words = Words(instruction);
    if (words.size() < 2 || words[0].compare(u"SYMBOL", Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    RtfSymbolField field;
    bool ok = false;
    const QString& code = words[1];
    field.code = code.startsWith(u"0x", Qt::CaseInsensitive) ? code.mid(2).toInt(&ok, 16)
                                                             : code.toInt(&ok, 10);
    if (!ok || field.code <= 0 || field.code > 0xFFFF) {
        return std::nullopt;
    }
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word.compare(u"\\f", Qt::CaseInsensitive) == 0 && i + 1 < words.size()) {
            field.font = words[++i];
        } else if (word.compare(u"\\u", Qt::CaseInsensitive) == 0) {
            field.unicode = true;
        }
    }
    return field;
}

bool IsCheckBoxField(const QString& instruction) {
    return instruction.trimmed().startsWith(u"FORMCHECKBOX", Qt::CaseInsensitive);
}

}  // namespace ondrel
