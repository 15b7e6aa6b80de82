// SPDX-License-Identifier: GPL-3.0-or-later
// Segmentation, colouring and inline Markdown of an answer as it streams in:
// the growing readers against a fresh full pass, with a check that both agree.
//   bench_content_pipeline [TOKENS FRAGMENTS CODE_LINES]
#include "SyntheticAnswer.h"

#include "text/ContentSegmenter.h"
#include "text/InlineMarkdownReader.h"
#include "text/SyntaxColorer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <map>

namespace {

QTextStream out(stdout);

double millisSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// What a view rebuilt from scratch would compute.
qsizetype fullPass(const QString &text)
{
    qsizetype work = 0;
    for (const ContentSegment &segment : parseContentSegments(text))
        work += segment.isCode() ? syntaxColorRuns(segment.body).size() : parseInlineMarkdown(segment.text).size();
    return work;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int tokens = args.size() > 3 ? args.at(1).toInt() : 90000;
    const int fragmentCount = args.size() > 3 ? args.at(2).toInt() : 30000;
    const int codeLines = args.size() > 3 ? args.at(3).toInt() : 2000;
    const SyntheticAnswer answer = makeSyntheticAnswer(tokens, fragmentCount, codeLines);

    ContentSegmenter segmenter;
    std::map<qsizetype, SyntaxColorer> colorers;
    std::map<qsizetype, InlineMarkdownReader> readers;
    QString text;
    QList<double> perFragment;
    qsizetype previousCount = 0;
    for (const QString &fragment : answer.fragments) {
        text += fragment;
        QElapsedTimer timer;
        timer.start();
        const QList<ContentSegment> &segments = segmenter.update(text);
        // Only the segment that was last before, and any after it, can have changed.
        for (qsizetype i = std::max<qsizetype>(0, previousCount - 1); i < segments.size(); ++i) {
            const ContentSegment &segment = segments.at(i);
            if (segment.isCode())
                colorers[i].update(segment.body);
            else
                readers[i].update(segment.text);
        }
        previousCount = segments.size();
        perFragment << millisSince(timer);
    }

    bool same = segmenter.segments() == parseContentSegments(text);
    for (qsizetype i = 0; i < segmenter.segments().size(); ++i) {
        const ContentSegment &segment = segmenter.segments().at(i);
        same = same
            && (segment.isCode() ? colorers[i].runs() == syntaxColorRuns(segment.body)
                                 : readers[i].runs() == parseInlineMarkdown(segment.text));
    }

    QList<double> fullPasses;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        fullPass(text);
        fullPasses << millisSince(timer);
    }

    const QList<double> lastThousand =
        perFragment.mid(perFragment.size() - std::min<qsizetype>(1000, perFragment.size()));
    out << "Answer: " << text.size() << " characters, " << answer.fragments.size() << " fragments, "
        << segmenter.segments().size() << " segments, a code block of " << codeLines << " lines\n";
    out << "Per fragment (segments + colours + inline Markdown): p50 " << percentile(perFragment, 0.5) * 1000
        << " us, p99 " << percentile(perFragment, 0.99) * 1000 << " us, max " << percentile(perFragment, 1.0)
        << " ms\n";
    out << "Last 1,000 fragments: p50 " << percentile(lastThousand, 0.5) * 1000 << " us, p99 "
        << percentile(lastThousand, 0.99) * 1000 << " us\n";
    out << "A fresh full pass over the final answer: " << percentile(fullPasses, 0.5) << " ms (median of 5)\n";
    out << "Results identical to a fresh full pass: " << (same ? "yes" : "NO") << '\n';
    return same ? 0 : 1;
}
