// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SyntaxColoring.h"

#include "text/SyntaxColorPainter.h"

const QList<SyntaxRule> &syntaxRules()
{
    // The same matches as the classic lexical patterns, written so that the
    // engine holds on long input: possessive, unrolled string bodies (the
    // alternation form overflows the JIT stack past ~20,000 characters), and
    // escapes that stop at any line terminator, as "." does in ICU.
    static const QList<SyntaxRule> rules = [] {
        const auto options = QRegularExpression::UseUnicodePropertiesOption;
        const QString escape = QStringLiteral(R"(\\[^\n\x{0B}\f\r\x{85}\x{2028}\x{2029}])");
        QList<SyntaxRule> list = {
            // The keywords' word boundaries as ICU draws them: combining marks
            // and joiners belong to the word, so "e\u0301if" holds no keyword.
            {SyntaxColor::Keyword,
             QRegularExpression(
                 QStringLiteral(R"((?<![\p{L}\p{Nl}\p{M}\p{Nd}\p{Pc}\x{200C}\x{200D}]))"
                                R"((func|class|struct|enum|var|let|const|import|return|if|else|guard|for|in|)"
                                R"(while|true|false|nil|null|undefined|self|this|init|override|public|private|)"
                                R"(internal|static|final|async|await|throws|try|catch|do|switch|case|break|)"
                                R"(continue|extension|protocol|from|def|pass|lambda|with|and|or|not|new|typeof|)"
                                R"(instanceof|void|interface|type|export|default|require))"
                                R"((?![\p{L}\p{Nl}\p{M}\p{Nd}\p{Pc}\p{Cf}]))"),
                 options)},
            {SyntaxColor::String,
             QRegularExpression(
                 QStringLiteral(R"("[^"\\]*+(?:%1[^"\\]*+)*+"|'[^'\\]*+(?:%1[^'\\]*+)*+'|`[^`]*+`)").arg(escape),
                 options)},
            {SyntaxColor::Comment,
             QRegularExpression(QStringLiteral(R"(//[^\n]*+|#[^\n]*+|/\*[^*]*+\*++(?:[^/*][^*]*+\*++)*+/)"), options)},
            // A possessive first digit run gives the same matches: a shorter run
            // could only end where the full run ends.
            {SyntaxColor::Number, QRegularExpression(QStringLiteral(R"(\b\d++\.?\d*\b)"), options)},
        };
        for (SyntaxRule &rule : list)
            rule.pattern.optimize();
        return list;
    }();
    return rules;
}

QString withPairedSurrogates(const QString &text)
{
    QString result = text;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        result[i] = QChar::ReplacementCharacter;
    }
    return result;
}

QList<SyntaxColorRun> syntaxColorRuns(const QString &code)
{
    const QString subject = withPairedSurrogates(code);
    SyntaxColorPainter painter;
    painter.resize(subject.size());
    for (const SyntaxRule &rule : syntaxRules()) {
        auto matches = rule.pattern.globalMatch(subject, 0, QRegularExpression::NormalMatch,
                                                QRegularExpression::DontCheckSubjectStringMatchOption);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            painter.paint(match.capturedStart(0), match.capturedEnd(0), rule.color);
        }
    }
    return painter.runs(0);
}
