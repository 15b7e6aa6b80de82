// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/ShellWords.h"

std::optional<QStringList> splitShellWords(const QString &line)
{
    enum class Quote { None, Single, Double };
    QStringList words;
    QString word;
    bool inWord = false;
    Quote quote = Quote::None;

    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quote == Quote::Single) {
            if (c == QLatin1Char('\''))
                quote = Quote::None;
            else
                word += c;
        } else if (quote == Quote::Double) {
            if (c == QLatin1Char('"')) {
                quote = Quote::None;
            } else if (c == QLatin1Char('\\') && i + 1 < line.size()
                       && QStringLiteral("\"\\$`").contains(line.at(i + 1))) {
                word += line.at(++i);
            } else {
                word += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == QLatin1Char('\''))
                quote = Quote::Single;
            else if (c == QLatin1Char('"'))
                quote = Quote::Double;
            else if (c == QLatin1Char('\\')) {
                if (++i == line.size())
                    return std::nullopt;
                word += line.at(i);
            } else {
                word += c;
            }
        }
    }
    if (quote != Quote::None)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}
